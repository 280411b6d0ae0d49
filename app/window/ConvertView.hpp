#pragma once
// The convert page: the user drops an Xcode project folder onto the drop
// zone (or picks one), the page's own run model converts it, the running
// view shows the steps with the swinging logo, a failure shows its message
// with a way back, and a finished run is recorded: the record goes first in
// the history, Android Studio opens it when the settings ask for that, the
// model is reset, and the window shows the new record's detail page.
//
// Invariants: the page owns its run model; a page that goes away during a
// run takes the model with it, so that run (which still writes its Android
// project) adds no record and moves no window. The drop zone exists only
// while the model is idle.
#include <QString>
#include <QUrl>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QVariantAnimation;

namespace tovrane::app {

class ConversionModel;
class Dialogs;
class Engine;
class LineLimitedLabel;
class Navigation;
class OutputReservations;
class Platform;
class ProgressBar;
class ProjectStore;
class Settings;
class SpringAnimation;
class Workers;

// Where a project folder is dropped: a dashed rounded area with the folder
// badge, the call to drop and the button that opens the folder panel. It
// takes drags that carry URLs; while one hovers the area turns green, the
// badge grows by 1.12 on a spring and the title says "Loslassen!".
class DropZone : public QWidget {
  Q_OBJECT

 public:
  explicit DropZone(QWidget* parent = nullptr);

  bool targeted() const { return targeted_; }
  // The badge's scale as drawn now.
  double badgeScale() const { return badgeScale_; }

 signals:
  // A drop with at least one URL: the first of them.
  void dropped(const QUrl& first);
  void chooseFolder();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void setTargeted(bool targeted);

  bool targeted_ = false;
  double badgeScale_ = 1;
  QWidget* badge_;
  QLabel* title_;
  SpringAnimation* spring_;
};

// The running phase: the logo's two shapes swinging apart and together
// (ease in and out, 1.1 s each way, for as long as the view is shown),
// "Wird umgewandelt …", the bar with the run's fraction, and the step text
// on one line.
class RunningView : public QWidget {
  Q_OBJECT

 public:
  RunningView(Platform& platform, const QString& step, double progress, QWidget* parent = nullptr);

  // Replaces the step text and the bar's value in place; the logo swings on.
  void setStep(const QString& step, double progress);
  QString step() const;
  double progress() const;
  // How far the logo has spread: 0 at rest (the shapes overlap by 60),
  // 1 fully spread (they just touch).
  double spread() const { return spread_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  double spread_ = 0;
  bool swinging_ = false;
  QWidget* logo_;
  ProgressBar* bar_;
  LineLimitedLabel* step_;
  QVariantAnimation* swing_;
};

class ConvertView : public QWidget {
  Q_OBJECT

 public:
  ConvertView(ProjectStore& store, Navigation& navigation, Engine& engine, Workers& workers, Settings& settings,
              OutputReservations& reservations, Dialogs& dialogs, Platform& platform, QWidget* parent = nullptr);
  ~ConvertView() override;

  ConversionModel& model() const { return *model_; }
  // What the phase area shows: the drop zone, the running view, the failure
  // view or the spinner of a finished run.
  QWidget* phaseView() const { return phaseView_; }

 private:
  void showPhase();
  void finish();
  void start(const QUrl& item);
  void chooseFolder();

  ProjectStore& store_;
  Navigation& navigation_;
  Settings& settings_;
  Dialogs& dialogs_;
  Platform& platform_;
  std::unique_ptr<ConversionModel> model_;
  QWidget* phaseArea_;
  QWidget* phaseView_ = nullptr;
};

}  // namespace tovrane::app
