#include "tests/app/fakes/Fakes.hpp"

namespace tovrane::app::test {

QUuid SequentialUuids::next() {
  ++counter_;
  return QUuid(0, 0, 0, 0, 0, static_cast<uchar>(counter_ >> 40), static_cast<uchar>(counter_ >> 32),
               static_cast<uchar>(counter_ >> 24), static_cast<uchar>(counter_ >> 16),
               static_cast<uchar>(counter_ >> 8), static_cast<uchar>(counter_));
}

std::optional<QString> FakeDialogs::pickFolder(QWidget*, const QString& title) {
  calls.append(QStringLiteral("pickFolder ") + title);
  if (folders.empty()) {
    return std::nullopt;
  }
  const QString answer = folders.front();
  folders.pop_front();
  if (answer.isEmpty()) {
    return std::nullopt;
  }
  return answer;
}

bool FakeDialogs::confirm(QWidget*, const QString& title, const QString& text, const QString& confirmLabel) {
  calls.append(QStringLiteral("confirm ") + title + QStringLiteral(" / ") + confirmLabel);
  questions.append(text);
  if (confirmations.empty()) {
    return false;
  }
  const bool answer = confirmations.front();
  confirmations.pop_front();
  return answer;
}

void FakeDialogs::warn(QWidget*, const QString& title, const QString& text) {
  warnings.append(title + QStringLiteral(": ") + text);
}

bool RecordingLauncher::startDetached(const QString& program, const QStringList& arguments) {
  calls.append((QStringList{QStringLiteral("start"), program} + arguments).join(QLatin1Char(' ')));
  return startSucceeds;
}

bool RecordingLauncher::openUrl(const QUrl& url) {
  calls.append(QStringLiteral("open ") + url.toString());
  return true;
}

void FakePlatform::setDockBadge(int count) { calls.append(QStringLiteral("badge %1").arg(count)); }
void FakePlatform::requestAttention(QWidget*) { calls.append(QStringLiteral("attention")); }
void FakePlatform::reveal(const QString& path) { calls.append(QStringLiteral("reveal ") + path); }
bool FakePlatform::moveToTrash(const QString& path) {
  calls.append(QStringLiteral("trash ") + path);
  return trashSucceeds;
}
void FakePlatform::openInAndroidStudio(const QString& folder) { calls.append(QStringLiteral("studio ") + folder); }
bool FakePlatform::reduceMotion() {
  calls.append(QStringLiteral("reduceMotion"));
  return reducedMotion;
}
void FakePlatform::setReducedMotion(bool reduced) {
  if (reduced != reducedMotion) {
    reducedMotion = reduced;
    emit reduceMotionChanged(reduced);
  }
}

}  // namespace tovrane::app::test
