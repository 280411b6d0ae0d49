#pragma once
// Wall-clock time and identifiers as injected services, so that records,
// ages and schedules are reproducible in tests. (Waiting and measuring go
// through core's steady tovrane::Clock instead.)
#include <QDateTime>
#include <QUuid>

namespace tovrane::app {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
 public:
  QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};

class UuidSource {
 public:
  virtual ~UuidSource() = default;
  virtual QUuid next() = 0;
};

class RandomUuidSource final : public UuidSource {
 public:
  QUuid next() override { return QUuid::createUuid(); }
};

}  // namespace tovrane::app
