#pragma once
// The last section of a project's detail page: the conversion's warnings,
// sorted into a handful of categories by their message, one category shown
// at a time through a row of chips ("Alle" first). The list holds at most
// 300 warnings, in their stored order, and paints only the rows in view.
// The categories of a record never change, so they are counted once; the
// list is filtered anew whenever a chip is chosen.
#include "app/state/EngineTypes.hpp"

#include <QString>
#include <QWidget>

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class QAbstractButton;

namespace tovrane::app {

class WarningListModel;

class WarningsSection : public QWidget {
  Q_OBJECT

 public:
  struct CategoryCount {
    QString name;
    int count = 0;
    bool operator==(const CategoryCount&) const = default;
  };
  // At most this many warnings are listed, whatever the filter.
  static constexpr int maximumRows = 300;

  // The category of a warning message: the first rule of the classifier's
  // table that holds decides, "Sonstiges" when none does.
  static QString category(std::string_view message);
  // The categories that occur, with their counts, largest first; equal
  // counts keep the order of the classifier's table.
  static std::vector<CategoryCount> categories(const std::vector<ConversionWarning>& warnings);

  explicit WarningsSection(std::vector<ConversionWarning> warnings, QWidget* parent = nullptr);
  ~WarningsSection() override;

  // The chosen category; none while "Alle" is chosen.
  std::optional<QString> filter() const { return filter_; }

 private:
  void choose(const std::optional<QString>& filter);

  std::vector<ConversionWarning> warnings_;
  std::optional<QString> filter_;
  WarningListModel* model_;
  // Each chip with the filter it chooses.
  std::vector<std::pair<QAbstractButton*, std::optional<QString>>> chips_;
};

}  // namespace tovrane::app
