#pragma once
// One step marker of a running repair: the state's symbol and the step's
// title on a capsule, grey while pending, orange while active, green when
// done.
#include <QString>
#include <QWidget>

namespace tovrane::app {

class PhaseChip : public QWidget {
  Q_OBJECT

 public:
  enum class State { pending, active, done };

  PhaseChip(const QString& title, State state, QWidget* parent = nullptr);

  const QString& title() const { return title_; }
  State state() const { return state_; }
  void setState(State state);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  State state_;
};

}  // namespace tovrane::app
