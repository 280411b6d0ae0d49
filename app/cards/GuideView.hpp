#pragma once
// The first-launch guide: three steps (find the project folder, drag it into
// the window, open the result in Android Studio), each with its animated
// illustration, a step header, a title and a short text, and the buttons
// "Zurück" and "Weiter" / "Los geht's".
//
// The guide is a window-modal dialog, 620 wide, always white and light. It
// ends only through its last button, which calls `done` and nothing else:
// Esc and the window's close do nothing, and it never touches settings. The
// window that opens it decides what `done` does (hide it, remember it was seen).
#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;

namespace tovrane::app {

class GuideView : public QDialog {
  Q_OBJECT

 public:
  struct Step {
    const char* title;
    const char* text;
  };
  static const Step steps[3];

  GuideView(std::function<void()> done, QWidget* parent);

  // 0, 1 or 2; every new guide starts at 0.
  int step() const { return step_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 public slots:
  // Esc: the guide stays.
  void reject() override;

 private:
  class Illustration;
  class PageDots;

  void goTo(int step);
  void primaryPressed();

  std::function<void()> done_;
  int step_ = 0;
  Illustration* illustration_;
  QLabel* header_;
  QLabel* title_;
  QLabel* text_;
  QPushButton* back_;
  PageDots* dots_;
  QPushButton* primary_;
};

}  // namespace tovrane::app
