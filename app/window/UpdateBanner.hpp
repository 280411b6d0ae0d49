#pragma once
// The updater's voice at the bottom of the sidebar: a running check, its
// result, the offer of a newer build with its notes and an install button,
// the download's progress, the installation, or a failure. While there is
// nothing to report (`idle`, or `available` without a release) it is hidden
// and takes no room.
//
// It keeps no state of its own: every change of the updater's state or
// release rebuilds its content from the updater.
#include <QWidget>

namespace tovrane::app {

class Dialogs;
class Updater;

class UpdateBanner : public QWidget {
  Q_OBJECT

 public:
  // dialogs asks for confirmation when "Jetzt installieren" would end running jobs.
  UpdateBanner(Updater& updater, Dialogs& dialogs, QWidget* parent = nullptr);

 private:
  void rebuild();
  QWidget* offerCard();
  void installClicked();

  Updater& updater_;
  Dialogs& dialogs_;
  QWidget* content_ = nullptr;
};

}  // namespace tovrane::app
