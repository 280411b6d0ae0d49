#pragma once
// What a page of the window is built from, on fakes, for a page on its own
// (AppFixture makes the whole application): the services the entry makes
// once per process and one window's navigation. Settings, key file and
// history are emptied first.
#include "app/state/OutputReservations.hpp"
#include "app/state/ProjectStore.hpp"
#include "app/state/Settings.hpp"
#include "app/state/Workers.hpp"
#include "app/window/Page.hpp"
#include "tests/app/fakes/AppFixture.hpp"
#include "tests/app/fakes/FakeEngine.hpp"
#include "tests/app/fakes/Fakes.hpp"

#include <QStringList>

#include <memory>
#include <optional>

namespace tovrane::app::test {

struct PageServices {
  PageServices();

  FakeEngine engine;
  FakePlatform platform;
  FakeDialogs dialogs;
  FakeClock clock;
  SequentialUuids uuids;
  Settings settings;
  OutputReservations reservations;
  // Declared after the engine: destroying it waits for the runs that use it.
  Workers workers;
  std::unique_ptr<ProjectStore> store;
  Navigation navigation;
};

// historyRecord "name" with the given coverage, Swift lines and AI record,
// and 4 Kotlin files; its folders lie below the temporary home and do not exist.
ProjectRecord record(const QString& name, double coverage = 0.8, int swiftLines = 100,
                     std::optional<ProjectRecord::AIRecord> ai = std::nullopt);

// The names of the project rows that page shows, top to bottom.
QStringList rowNames(const QWidget& page);

// capture() once the page's queued layout work (scroll bars, shown
// children) is done.
void capturePage(QWidget* page, const QString& name);

}  // namespace tovrane::app::test
