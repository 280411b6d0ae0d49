#pragma once
// One finished conversion in the project history, with the outcome of the
// last AI repair of that project. Plain values: two records are equal when
// every field is.
#include "app/state/EngineTypes.hpp"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>
#include <vector>

namespace tovrane::app {

struct ProjectRecord {
  struct AIRecord {
    // When the repair ended.
    QDateTime date{};
    // Display label of the backend that ran it.
    QString backend{};
    // Placeholders the repair solved, never below 0.
    int fixed = 0;
    // Placeholders left after the repair.
    int remaining = 0;
    // Whether the project compiled at the end; absent without a compile check.
    std::optional<bool> compiled{};
    int remainingErrors = 0;
    double costUSD = 0;
    bool operator==(const AIRecord&) const = default;
  };

  QUuid id{};
  // The app's name as the conversion found it.
  QString name{};
  // The Xcode project folder that was converted, and the Android project written.
  QString inputPath{};
  QString outputPath{};
  QDateTime date{};
  int swiftFiles = 0;
  int swiftLines = 0;
  int kotlinFiles = 0;
  // The conversion's own estimate, 0 to 1.
  double coverage = 0;
  // Untranslated places the conversion counted. Some leave no placeholder
  // in the Kotlin (a NavigationLink with a value is left out), so no repair
  // can solve them.
  int unsupported = 0;
  // Placeholders in the generated Kotlin when the conversion ended; absent
  // in records made before they were counted.
  std::optional<int> placeholders{};
  int images = 0;
  int colors = 0;
  std::vector<ConversionWarning> warnings{};
  std::optional<AIRecord> ai{};

  // Every AI figure counts placeholders in the files: those the conversion
  // left and those the last repair left. A record without the count of the
  // conversion's takes its untranslated places instead.
  int convertedPlaceholders() const;
  // What the last repair solved: the conversion's placeholders less those it
  // left, below 0 when it left more; 0 without a repair.
  long long aiSolved() const;
  // Placeholders still open: those the last repair left, else the conversion's.
  int openPlaces() const;
  // The coverage counting what the last repair solved: exactly 1 when it
  // left no placeholder and the project compiled, else the conversion's
  // coverage raised by the share of its untranslated places that the
  // repair solved.
  double effectiveCoverage() const;

  bool operator==(const ProjectRecord&) const = default;
};

}  // namespace tovrane::app
