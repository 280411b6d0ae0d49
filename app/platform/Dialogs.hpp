#pragma once
// The modal questions the application asks, behind a seam so that tests can
// answer them without a window system.
#include <QString>

#include <optional>

class QWidget;

namespace tovrane::app {

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A folder the user picked, or nullopt when the panel was cancelled.
  virtual std::optional<QString> pickFolder(QWidget* parent, const QString& title) = 0;
  // Asks before something is destroyed or ended: title is the question,
  // text what it means. True only when the user chose the button labelled
  // confirmLabel; the keys' default is to keep things as they are.
  virtual bool confirm(QWidget* parent, const QString& title, const QString& text,
                       const QString& confirmLabel) = 0;
  // Tells the user of a failure and returns at once; the message stays until dismissed.
  virtual void warn(QWidget* parent, const QString& title, const QString& text) = 0;
};

class WidgetDialogs final : public Dialogs {
 public:
  std::optional<QString> pickFolder(QWidget* parent, const QString& title) override;
  bool confirm(QWidget* parent, const QString& title, const QString& text, const QString& confirmLabel) override;
  void warn(QWidget* parent, const QString& title, const QString& text) override;
};

}  // namespace tovrane::app
