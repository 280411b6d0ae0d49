#pragma once
// One step marker of a running repair: the state's symbol and the step's
// title on a capsule, grey while pending, orange while active, green when
// done. While active and shown, its symbol pulses: it fades and comes back,
// again and again.
#include <QString>
#include <QWidget>

class QVariantAnimation;

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

  bool pulsing() const;
  // The symbol's opacity as the pulse stands, 1 when it does not pulse.
  double symbolOpacity() const { return symbolOpacity_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // Starts the pulse while active and shown, stops it otherwise.
  void followState();

  QString title_;
  State state_;
  QVariantAnimation* pulse_;
  double symbolOpacity_ = 1;
};

}  // namespace tovrane::app
