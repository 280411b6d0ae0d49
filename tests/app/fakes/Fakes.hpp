#pragma once
// Scripted stand-ins for the app's seams (clock, identifiers, dialogs,
// launcher, platform). Each records what it was asked, in order.
#include "app/platform/Dialogs.hpp"
#include "app/platform/Launcher.hpp"
#include "app/platform/Platform.hpp"
#include "app/state/Clock.hpp"
#include "tests/app/AppTest.hpp"

#include <QStringList>

#include <deque>
#include <optional>

namespace tovrane::app::test {

// Stands still at fixedNow() until a test moves it.
class FakeClock final : public Clock {
 public:
  QDateTime now() const override { return now_; }
  void set(const QDateTime& instant) { now_ = instant; }
  void advance(qint64 seconds) { now_ = now_.addSecs(seconds); }

 private:
  QDateTime now_ = fixedNow();
};

// 00000000-0000-0000-0000-000000000001, …02, and so on.
class SequentialUuids final : public UuidSource {
 public:
  QUuid next() override;

 private:
  quint64 counter_ = 0;
};

// Answers from queues the test fills; an empty queue or an empty folder
// answers "cancelled", an empty confirmation queue "no".
class FakeDialogs final : public Dialogs {
 public:
  std::optional<QString> pickFolder(QWidget* parent, const QString& title) override;
  bool confirm(QWidget* parent, const QString& title, const QString& text, const QString& confirmLabel) override;
  void warn(QWidget* parent, const QString& title, const QString& text) override;

  std::deque<QString> folders;
  std::deque<bool> confirmations;
  QStringList calls;
  // The text of each confirmation asked for, in order.
  QStringList questions;
  // "<title>: <text>" of each warning, in order.
  QStringList warnings;
};

class RecordingLauncher final : public Launcher {
 public:
  bool startDetached(const QString& program, const QStringList& arguments) override;
  bool openUrl(const QUrl& url) override;

  // "start <program> <arguments…>" or "open <url>".
  QStringList calls;
  bool startSucceeds = true;
};

class FakePlatform final : public Platform {
 public:
  void setDockBadge(int count) override;
  void requestAttention(QWidget* window) override;
  void reveal(const QString& path) override;
  bool moveToTrash(const QString& path) override;
  void openInAndroidStudio(const QString& folder) override;
  bool reduceMotion() override;

  // Changes reducedMotion and sends the change notice when it differs.
  void setReducedMotion(bool reduced);

  // One line per call, for example "badge 3" or "trash /tmp/x".
  QStringList calls;
  bool trashSucceeds = true;
  bool reducedMotion = false;
};

}  // namespace tovrane::app::test
