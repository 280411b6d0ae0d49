#include "core/repair/AIRepairer.hpp"

#include "core/support/Cancelled.hpp"
#include "core/support/Files.hpp"
#include "core/support/Process.hpp"
#include "core/support/Regex.hpp"
#include "core/support/Text.hpp"
#include "tests/repair/RepairFixture.hpp"
#include "tests/repair/Thrown.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace tovrane {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace testsupport;
using fakes::FakeHttpServer;
using fakes::FakeReply;
using json::Json;
using namespace repair_event;

const std::string flashLabel = "Gemini gemini-flash-latest";
const std::string noProgress = "Kein Fortschritt mehr – Abbruch, um Kosten zu sparen.";
const std::string originalReport = "# Konvertierungsbericht – Notizen\n";

// One run's surroundings: a machine with Java, an SDK and a scripted gradlew,
// one fake server for the providers and the fixes service, the event record.
struct World {
  BuildMachine build;
  FakeHttpServer server;
  RateGate gate;
  EventLog log;
  AIRepairOptions options{{{AIProvider::gemini, "g"}}, AIProvider::gemini, std::nullopt};
  std::unique_ptr<AIRepairer> repairer;
  bool installed = false;

  explicit World(bool androidStudio = true) : build(androidStudio) { server.on("/fixes", FakeReply{}); }

  // Both Gemini rungs answer with reply.
  void answer(const FakeReply& reply) {
    server.on(flashPath, reply);
    server.on(proPath, reply);
  }
  void share() { options.knowledge = FixKnowledge(true, false, server.url("")); }
  // The builds of this run's gradlew (without a call: one clean build).
  void install(const fs::path& project, const std::vector<BuildMachine::Build>& builds) {
    build.install(project, builds);
    installed = true;
  }
  AIRepairer& make(const fs::path& project) {
    if (!installed) install(project, {});
    repairer = std::make_unique<AIRepairer>(project, options, log.callback(), build.host, endpointsAt(server), gate);
    return *repairer;
  }
  // Cancels the run at the first event that `when` accepts.
  void cancelAt(std::function<bool(const AIRepairEvent&)> when) {
    log.hook = [this, when](const AIRepairEvent& event) {
      if (when(event)) repairer->cancel();
    };
  }

  std::vector<fakes::RecordedRequest> modelRequests() const {
    std::vector<fakes::RecordedRequest> found;
    for (auto& request : server.requests())
      if (request.path != "/fixes") found.push_back(std::move(request));
    return found;
  }
  std::size_t uploads() const { return requestsTo(server, "/fixes").size(); }
};

FakeReply goodAnswer() { return geminiReply(fenced(repairedKotlin())); }

template <class Event>
bool is(const AIRepairEvent& event) {
  return std::holds_alternative<Event>(event);
}

std::string reportOf(const RepairProject& project) { return files::readFile(project.report()); }

std::vector<KotlinSourceFile> manyFiles(int count) {
  std::vector<KotlinSourceFile> files;
  for (int i = 0; i < count; ++i) {
    std::string name = "F";
    name += std::to_string(1000 + i);
    files.push_back(placeholderFile(name + ".kt", 1));
  }
  return files;
}

// ---- The placeholder pass and the compile rounds

TEST(RepairRun, RepairsFewestPlaceholdersFirstThenCompiles) {
  RepairProject project({placeholderFile("A.kt", 5), placeholderFile("B.kt", 1), placeholderFile("C.kt", 1),
                         placeholderFile("Clean.kt", 0)});
  World w;
  w.answer(geminiReply(fenced(repairedKotlin()), {.input = 2'000'000, .output = 1'000'000}));
  w.options.parallelRequests = 1;
  w.install(project.project, {});
  const AIRepairResult result = w.make(project.project).run();

  // "MainActivity.kt" keeps its one placeholder: the repair never touches it, so progress does not
  // count it; the result, which is compared with the conversion's count, does.
  std::vector<AIRepairEvent> expected = {Progress{0, 7},
                                         Status{flashLabel + " ergänzt 3 Dateien mit offenen Stellen …"}};
  long long answers = 0;
  for (const auto& [name, done] : std::vector<std::pair<std::string, int>>{{"B.kt", 1}, {"C.kt", 2}, {"A.kt", 7}}) {
    ++answers;
    expected.insert(expected.end(), {FileStarted{name}, Usage{2'000'000 * answers, 1'000'000 * answers, 0},
                                     Cost{4.0 * static_cast<double>(answers)}, FileFinished{name}, Progress{done, 7}});
  }
  expected.insert(expected.end(), {Status{"Gradle kompiliert das Projekt (Runde 1) …"}, CompileRound{1, 0}});
  EXPECT_EQ(w.log.events(), expected);

  EXPECT_EQ(result.filesRepaired, 3);
  EXPECT_EQ(result.remainingPlaceholders, 1);
  EXPECT_EQ(result.compiled, true);
  EXPECT_EQ(result.remainingErrors, 0);
  EXPECT_DOUBLE_EQ(result.costUSD, 12.0);
  EXPECT_TRUE(result.log.empty());
  EXPECT_EQ(result.modelUsage, (std::map<std::string, int>{{flashLabel, 3}}));
  EXPECT_EQ(w.build.builds(), 1);
  EXPECT_EQ(project.read("A.kt"), repairedKotlin());
  EXPECT_EQ(project.read("Clean.kt"), placeholderFile("Clean.kt", 0).text);

  // The section is appended with the time of the run.
  const std::string report = reportOf(project);
  const std::string heading = "\n\n## KI-Reparatur (";
  ASSERT_GE(report.size(), originalReport.size() + heading.size() + 20);
  const std::string date = report.substr(originalReport.size() + heading.size(), 20);
  EXPECT_TRUE(Regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)").matches(date)) << date;
  EXPECT_EQ(report, originalReport + AIRepairer::reportSection(result, date));
}

TEST(RepairRun, EscalatesFilesWithErrorsAndStopsWhenTheCountFailsToFallTwice) {
  struct Case {
    const char* name;
    std::vector<int> errors;         // per build
    std::vector<std::string> rungs;  // the paths asked, in order
    int remaining;
  };
  const std::vector<Case> cases = {
      // Round 2 rises: escalated twice (to the last rung) and stalled; round 3 stops before repairing.
      {"10, 12, 12", {10, 12, 12}, {flashPath, proPath, openAIPath}, 12},
      // Round 3 falls and repairs normally; round 4 does not fall and stops.
      {"10, 12, 8, 8", {10, 12, 8, 8}, {flashPath, proPath, openAIPath, openAIPath}, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RepairProject project({placeholderFile("Notes.kt", 1)});
    World w;
    w.options = AIRepairOptions({{AIProvider::gemini, "g"}, {AIProvider::claude, "c"}, {AIProvider::openAI, "o"}},
                                AIProvider::gemini, std::nullopt);
    w.answer(goodAnswer());
    w.server.on(claudePath, claudeReply(fenced(repairedKotlin())));
    w.server.on(openAIPath, openAIReply(fenced(repairedKotlin())));
    std::vector<BuildMachine::Build> builds;
    std::vector<CompileRound> rounds;
    for (int errors : c.errors) {
      builds.push_back(BuildMachine::failing({{project.file("Notes.kt"), errors}}));
      rounds.push_back({static_cast<int>(rounds.size()) + 1, errors});
    }
    w.install(project.project, builds);
    const AIRepairResult result = w.make(project.project).run();

    std::vector<std::string> asked;
    for (const auto& request : w.modelRequests()) asked.push_back(request.path);
    EXPECT_EQ(asked, c.rungs);
    EXPECT_EQ(w.log.only<CompileRound>(), rounds);
    EXPECT_EQ(w.log.statuses().back(), noProgress);
    EXPECT_EQ(result.compiled, false);
    EXPECT_EQ(result.remainingErrors, c.remaining);
    EXPECT_EQ(result.filesRepaired, static_cast<int>(c.rungs.size()));
    EXPECT_EQ(w.build.builds(), static_cast<int>(c.errors.size()));
    // The compile rounds send the file's errors along.
    EXPECT_NE(userTextOf(w.modelRequests()[1]).find("Compiler errors in this file:\nline 1:5 Unresolved reference"),
              std::string::npos);
  }
}

TEST(RepairRun, LastRoundRepairsNothing) {
  for (const int maxRounds : {1, 0}) {
    SCOPED_TRACE(maxRounds);
    RepairProject project({placeholderFile("Notes.kt", 1)});
    World w;
    w.answer(goodAnswer());
    w.share();
    w.options.maxCompileRounds = maxRounds;
    w.install(project.project, {BuildMachine::failing({{project.file("Notes.kt"), 3}})});
    const AIRepairResult result = w.make(project.project).run();
    EXPECT_EQ(result.compiled, false);
    EXPECT_EQ(result.remainingErrors, 3);
    EXPECT_EQ(w.log.only<CompileRound>(), (std::vector<CompileRound>{{1, 3}}));
    EXPECT_EQ(w.modelRequests().size(), 1u);
    EXPECT_EQ(w.build.builds(), 1);
    EXPECT_EQ(w.uploads(), 0u);  // a project that does not compile teaches nothing
    EXPECT_NE(reportOf(project).find("- Kompiliert: nein – 3 Fehler übrig\n"), std::string::npos);
  }
}

TEST(RepairRun, ErrorsOutsideTheAppSourcesAreCountedButNeverSentOrWritten) {
  RepairProject project({placeholderFile("Notes.kt", 1)});
  const std::string foreign = "package evil\n\nval secret = TODO(\"tovrane: never sent\")\n";
  const fs::path runtime = project.project / "app/src/main/java/tovrane/runtime/SwiftUI.kt";
  // As printed → where the file really lies.
  const std::vector<std::pair<fs::path, fs::path>> printed = {
      {project.root / "elsewhere/Evil.kt", project.root / "elsewhere/Evil.kt"},
      {project.project / "app/src/../../Escape.kt", project.root / "Escape.kt"},
      {project.project / "buildSrc/src/main/kotlin/Build.kt", project.project / "buildSrc/src/main/kotlin/Build.kt"},
  };
  for (const auto& [as, at] : printed) files::writeFile(at, foreign);
  const std::string runtimeText = files::readFile(runtime);
  std::map<fs::path, int> errors = {{runtime, 2}};
  for (const auto& [as, at] : printed) errors[as] = 2;

  World w;
  w.answer(goodAnswer());
  w.options.maxCompileRounds = 2;
  w.install(project.project, {BuildMachine::failing(errors), BuildMachine::failing(errors)});
  const AIRepairResult result = w.make(project.project).run();

  EXPECT_EQ(w.modelRequests().size(), 1u);  // the placeholder pass only
  for (const auto& request : w.modelRequests()) EXPECT_EQ(request.body.find("never sent"), std::string::npos);
  for (const auto& [as, at] : printed) EXPECT_EQ(files::readFile(at), foreign) << at;
  EXPECT_EQ(files::readFile(runtime), runtimeText);
  EXPECT_EQ(w.log.only<FileStarted>(), (std::vector<FileStarted>{{"Notes.kt"}}));
  const auto statuses = w.log.statuses();
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Behebt 8 Kompilierfehler in 4 Dateien …"), statuses.end());
  EXPECT_EQ(result.compiled, false);
  EXPECT_EQ(result.remainingErrors, 8);
}

TEST(RepairRun, BuildFailingWithoutErrorLinesIsNoCompile) {
  RepairProject project({placeholderFile("Notes.kt", 1)});
  World w;
  w.answer(goodAnswer());
  w.share();
  w.install(project.project, {{"FAILURE: Build failed with an exception.\n\n* What went wrong:\n"
                                     "Could not resolve com.android.tools.build:gradle:8.7.3.\n\n* Try:\n"
                                     "> Run with --stacktrace option to get the stack trace.\n",
                                     1}});
  const AIRepairResult result = w.make(project.project).run();

  const std::string line = "Gradle-Build fehlgeschlagen: Could not resolve com.android.tools.build:gradle:8.7.3.";
  const auto events = w.log.events();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2], AIRepairEvent(CompileRound{1, 0}));
  EXPECT_EQ(events.back(), AIRepairEvent(Status{line}));
  EXPECT_EQ(result.compiled, false);
  EXPECT_EQ(result.remainingErrors, 0);
  EXPECT_EQ(result.log, std::vector<std::string>{line});
  EXPECT_EQ(w.build.builds(), 1);
  EXPECT_EQ(w.uploads(), 0u);
  const std::string report = reportOf(project);
  EXPECT_NE(report.find("- Kompiliert: nein – 0 Fehler übrig\n"), std::string::npos);
  EXPECT_NE(report.find("- ⚠︎ " + line + "\n"), std::string::npos);
}

// A file the compiler names but that is gone by then fails alone, with a
// German log line that the report's warnings repeat.
TEST(RepairRun, AFileGoneBeforeItsRepairIsAGermanLogLine) {
  RepairProject project({placeholderFile("Notes.kt", 1)});
  World w;
  w.answer(goodAnswer());
  w.options.maxCompileRounds = 2;
  const fs::path gone = project.file("Gone.kt");
  w.install(project.project, {BuildMachine::failing({{gone, 1}})});
  const AIRepairResult result = w.make(project.project).run();
  const std::string line = "Gone.kt: " + fs::weakly_canonical(gone).string() + ": Datei oder Ordner nicht gefunden";
  EXPECT_EQ(result.log, std::vector<std::string>{line});
  EXPECT_EQ(result.compiled, true);
  EXPECT_NE(reportOf(project).find("- ⚠︎ " + line + "\n"), std::string::npos) << reportOf(project);
}

TEST(RepairRun, NothingALinkLeadsToOutsideTheProjectIsReadOrWritten) {
  const std::string secret = "secret of the shared folder";
  const std::string foreign = std::string(packageLine) + "\n\n// " + secret + "\nval x = TODO(\"tovrane: y\")\n";
  struct Case {
    const char* name;
    // Links something of the project to `outside` and returns the files there.
    std::function<std::vector<fs::path>(const RepairProject&, const fs::path& outside)> plant;
    std::vector<std::string> log;
  };
  const std::vector<Case> cases = {
      {"a shared source folder linked into the package, with compiler errors",
       [&](const RepairProject& p, const fs::path& outside) {
         files::writeFile(outside / "Shared.kt", foreign);
         fs::create_directory_symlink(outside, p.packageFolder() / "shared");
         return std::vector<fs::path>{outside / "Shared.kt"};
       },
       {}},
      {"a linked package folder",
       [&](const RepairProject& p, const fs::path& outside) {
         files::writeFile(outside / "Linked.kt", foreign);
         fs::remove_all(p.packageFolder());
         fs::create_directory_symlink(outside, p.packageFolder());
         return std::vector<fs::path>{outside / "Linked.kt"};
       },
       {"Der Paketordner liegt außerhalb des Projekts und wird nicht bearbeitet."}},
      {"a linked runtime folder",
       [&](const RepairProject& p, const fs::path& outside) {
         const fs::path runtime = p.project / "app/src/main/java/tovrane/runtime";
         files::writeFile(outside / "SwiftUI.kt", "// " + secret + "\n");
         fs::remove_all(runtime);
         fs::create_directory_symlink(outside, runtime);
         return std::vector<fs::path>{outside / "SwiftUI.kt"};
       },
       {}},
      {"a linked report",
       [&](const RepairProject& p, const fs::path& outside) {
         files::writeFile(outside / "Bericht.md", secret);
         fs::remove(p.report());
         fs::create_symlink(outside / "Bericht.md", p.report());
         return std::vector<fs::path>{outside / "Bericht.md"};
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RepairProject project({placeholderFile("Notes.kt", 1)});
    const fs::path outside = project.root / "shared";
    const std::vector<fs::path> planted = c.plant(project, outside);
    std::map<fs::path, std::string> before;
    for (const fs::path& file : planted) before[file] = files::readFile(file);
    World w;
    w.answer(goodAnswer());
    w.options.maxCompileRounds = 2;
    // Gradle names the shared file by the path it was given, through the link.
    const fs::path shared = project.packageFolder() / "shared/Shared.kt";
    if (fs::exists(shared)) {
      const auto errors = BuildMachine::failing({{shared, 2}});
      w.install(project.project, {errors, errors});
    }
    const AIRepairResult result = w.make(project.project).run();

    for (const auto& [file, text] : before) EXPECT_EQ(files::readFile(file), text) << file;
    for (const auto& request : w.modelRequests()) EXPECT_EQ(request.body.find(secret), std::string::npos);
    EXPECT_EQ(result.log, c.log);
  }
}

TEST(RepairRun, ProjectReachedThroughALinkIsRepairedWhereGradleFindsIt) {
  RepairProject project({placeholderFile("Notes.kt", 1)});
  const fs::path link = project.root / "Link-Android";
  fs::create_directory_symlink(project.project, link);
  World w;
  w.answer(goodAnswer());
  // Gradle prints the resolved path.
  w.install(project.project, {BuildMachine::failing({{project.file("Notes.kt"), 2}})});
  const AIRepairResult result = w.make(link).run();
  EXPECT_EQ(result.filesRepaired, 2);
  EXPECT_EQ(result.compiled, true);
  EXPECT_EQ(w.log.only<FileFinished>(), (std::vector<FileFinished>{{"Notes.kt"}, {"Notes.kt"}}));
  ASSERT_EQ(w.modelRequests().size(), 2u);
  EXPECT_NE(userTextOf(w.modelRequests()[1]).find("Compiler errors in this file:\n"), std::string::npos);
}

TEST(RepairRun, WithoutAndroidStudioTheCompileCheckIsSkipped) {
  RepairProject project({placeholderFile("Notes.kt", 1)});
  World w(false);
  w.answer(goodAnswer());
  w.share();
  const AIRepairResult result = w.make(project.project).run();
  EXPECT_EQ(w.log.statuses().back(), "Android Studio nicht gefunden – Kompilierprüfung übersprungen.");
  EXPECT_TRUE(w.log.only<CompileRound>().empty());
  EXPECT_EQ(result.compiled, std::nullopt);
  EXPECT_EQ(result.remainingErrors, 0);
  EXPECT_EQ(result.filesRepaired, 1);
  EXPECT_GE(w.uploads(), 1u);
  const std::string report = reportOf(project);
  EXPECT_NE(report.find("## KI-Reparatur ("), std::string::npos);
  EXPECT_EQ(report.find("Kompiliert"), std::string::npos);
}

TEST(RepairRun, EmptyLadderFailsBeforeAnything) {
  RepairProject project({placeholderFile("Notes.kt", 1)});
  World w;
  w.options = AIRepairOptions({{AIProvider::gemini, "  "}}, AIProvider::gemini, std::nullopt);
  const auto error = thrown<AIRepairError>([&] { w.make(project.project).run(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), AIRepairError::Kind::noProvider);
  EXPECT_TRUE(w.log.events().empty());
  EXPECT_EQ(w.build.builds(), 0);
  EXPECT_EQ(reportOf(project), originalReport);
}

TEST(RepairRun, FirstFileFailureEndsTheRunOnlyWhenNothingIsLeftToTry) {
  // The only provider rejects its key.
  {
    RepairProject project({placeholderFile("B.kt", 1), placeholderFile("C.kt", 2)});
    World w;
    FakeReply rejected;
    rejected.status = 403;
    w.answer(rejected);
    const auto error = thrown<AIRepairError>([&] { w.make(project.project).run(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->status(), 403);
    EXPECT_EQ(w.log.only<FileStarted>(), (std::vector<FileStarted>{{"B.kt"}}));
    EXPECT_EQ(w.build.builds(), 0);
    EXPECT_EQ(reportOf(project), originalReport);
  }
  // Answers without code leave the provider alive: logged, and the run goes on.
  {
    RepairProject project({placeholderFile("B.kt", 1), placeholderFile("C.kt", 2)});
    World w;
    w.answer(geminiReply("Sorry."));
    const AIRepairResult result = w.make(project.project).run();
    EXPECT_EQ(result.log, (std::vector<std::string>{"B.kt: Die KI hat keinen Code zurückgegeben.",
                                                    "C.kt: Die KI hat keinen Code zurückgegeben."}));
    EXPECT_EQ(result.filesRepaired, 0);
    EXPECT_EQ(result.remainingPlaceholders, 4);
    EXPECT_EQ(result.compiled, true);
  }
  // A provider that cannot be reached is given up: when it was the only one,
  // the run ends at the first file; later, the file is one log line.
  const std::string lost = "Die Verbindung zu 127.0.0.1 wurde getrennt, bevor eine vollständige Antwort kam.";
  for (const bool first : {true, false}) {
    SCOPED_TRACE(first ? "first file" : "later file");
    RepairProject project({placeholderFile("B.kt", 1), placeholderFile("C.kt", 2)});
    World w;
    FakeClock clock;  // the transport retries sleep on it
    w.build.host = w.build.machine.host(&clock);
    FakeReply dropped;
    dropped.mode = FakeReply::Mode::closeWithoutAnswer;
    if (!first) w.server.enqueue(goodAnswer());
    for (int i = 0; i < 4; ++i) w.server.enqueue(dropped);
    if (first) {
      const auto error = thrown<AIRepairError>([&] { w.make(project.project).run(); });
      ASSERT_TRUE(error);
      EXPECT_EQ(error->what(), lost);
      EXPECT_EQ(w.build.builds(), 0);
    } else {
      const AIRepairResult result = w.make(project.project).run();
      EXPECT_EQ(result.log, std::vector<std::string>{"C.kt: " + lost});
      EXPECT_EQ(result.filesRepaired, 1);
    }
  }
}

// ---- Cancelling

TEST(RepairRun, CancelDuringTheFirstFileEndsTheRunWithCancellation) {
  RepairProject project({placeholderFile("B.kt", 1), placeholderFile("C.kt", 2)});
  World w;
  w.answer(goodAnswer());
  w.cancelAt(is<FileStarted>);
  EXPECT_TRUE(thrown<Cancelled>([&] { w.make(project.project).run(); }));
  EXPECT_TRUE(w.modelRequests().empty());
  EXPECT_EQ(w.build.builds(), 0);
  EXPECT_EQ(reportOf(project), originalReport);
}

TEST(RepairRun, CancelAfterTheFirstFileSkipsTheRestAndTheCompile) {
  RepairProject project({placeholderFile("B.kt", 1), placeholderFile("C.kt", 2), placeholderFile("D.kt", 3)});
  World w;
  w.answer(goodAnswer());
  w.options.knowledge = FixKnowledge(true, true, w.server.url(""));
  w.cancelAt(is<FileFinished>);
  const AIRepairResult result = w.make(project.project).run();
  // Only the first file asked for examples: the others' code never left the machine.
  std::size_t lookups = 0;
  for (const auto& request : requestsTo(w.server, "/fixes")) lookups += request.method == "GET";
  EXPECT_EQ(lookups, 1u);
  EXPECT_EQ(result.filesRepaired, 1);
  EXPECT_EQ(result.compiled, std::nullopt);
  EXPECT_EQ(result.remainingErrors, 0);
  EXPECT_EQ(result.remainingPlaceholders, 6);
  EXPECT_TRUE(result.log.empty());
  EXPECT_EQ(w.modelRequests().size(), 1u);
  EXPECT_EQ(w.build.builds(), 0);
  EXPECT_GE(w.uploads(), 1u);
  EXPECT_NE(reportOf(project).find("## KI-Reparatur ("), std::string::npos);
}

TEST(RepairRun, CancelDuringARoundLetsTheBuildDecide) {
  for (const bool clean : {true, false}) {
    SCOPED_TRACE(clean ? "clean build" : "build with errors");
    RepairProject project({placeholderFile("Notes.kt", 1)});
    World w;
    w.answer(goodAnswer());
    w.share();
    w.install(project.project,
                    {clean ? BuildMachine::Build{} : BuildMachine::failing({{project.file("Notes.kt"), 3}})});
    w.cancelAt(is<CompileRound>);
    const AIRepairResult result = w.make(project.project).run();
    EXPECT_EQ(result.compiled, clean);
    EXPECT_EQ(result.remainingErrors, clean ? 0 : 3);
    EXPECT_EQ(result.filesRepaired, 1);
    EXPECT_EQ(w.modelRequests().size(), 1u);
    EXPECT_EQ(w.build.builds(), 1);
    EXPECT_EQ(w.uploads() > 0, clean);
    EXPECT_NE(reportOf(project).find("## KI-Reparatur ("), std::string::npos);
  }
}

// A cancel ends the Claude Code request or the Gradle build under way, with
// everything they started, instead of waiting for them.
TEST(RepairRun, CancelEndsTheToolUnderWay) {
  for (const bool inBuild : {false, true}) {
    SCOPED_TRACE(inBuild ? "Gradle build" : "Claude Code request");
    RepairProject project({placeholderFile("Notes.kt", 1)});
    World w;
    FakeTool hanging;
    hanging.ignoresTerminate = true;
    hanging.body = leave(Leftover::ownSession) + "sleep 600";
    InstalledTool tool;
    if (inBuild) {
      w.answer(goodAnswer());
      tool = hanging.install(project.project / "gradlew");
      w.installed = true;
    } else {
      tool = w.build.machine.tool("/opt/claude/claude", hanging);
      w.options = AIRepairOptions({}, std::nullopt, std::nullopt);
      w.options.claudeCodePath = tool.program.string();
    }
    AIRepairer& repairer = w.make(project.project);
    std::jthread canceller([&] {
      if (tool.awaitPids(2)) repairer.cancel();
    });
    if (inBuild) {
      // The file was repaired; the build checked nothing.
      const AIRepairResult result = repairer.run();
      EXPECT_EQ(result.filesRepaired, 1);
      EXPECT_EQ(result.compiled, std::nullopt);
    } else {
      EXPECT_TRUE(thrown<Cancelled>([&] { repairer.run(); }));
    }
    canceller.join();
    EXPECT_TRUE(allEnd(tool.pids()));
  }
}

// ---- The window of parallel repairs

// Holds each request until `size` have arrived in its round, so the window
// fills however slowly a loaded machine sends them. The wait is bounded (a
// minute): a smaller window shows in the count instead of hanging the test.
class Meeting {
 public:
  explicit Meeting(int size) : size_(size) {}
  void arrive() {
    std::unique_lock lock(mutex_);
    const int roundEnd = (arrived_ / size_ + 1) * size_;
    ++arrived_;
    changed_.notify_all();
    changed_.wait_for(lock, 1min, [&] { return arrived_ >= roundEnd; });
  }

 private:
  const int size_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int arrived_ = 0;
};

TEST(RepairRun, RepairsAtMostTheWindowAtOnce) {
  for (const int window : {4, 0}) {
    SCOPED_TRACE(window);
    RepairProject project(manyFiles(10));
    Meeting meeting(4);
    World w;
    // The first file goes alone, the next eight in two full windows, the last alone.
    FakeReply met = goodAnswer();
    met.whileInFlight = [&meeting] { meeting.arrive(); };
    w.server.enqueue(goodAnswer());
    for (int i = 0; i < 8; ++i) w.server.enqueue(met);
    w.server.enqueue(goodAnswer());
    w.options.parallelRequests = window;
    const AIRepairResult result = w.make(project.project).run();
    // With no window only the first file, which always goes alone, is repaired.
    const int repaired = window == 0 ? 1 : 10;
    EXPECT_EQ(w.server.maxInFlight(), window == 0 ? 1 : window);
    EXPECT_EQ(static_cast<int>(w.modelRequests().size()), repaired);
    EXPECT_EQ(result.filesRepaired, repaired);
  }
}

TEST(RepairRun, ClaudeCodeToolRunsAtMostThreeAtOnce) {
  RepairProject project(manyFiles(10));
  World w;
  const fs::path state = w.build.machine.root() / "claude-state";
  files::createDirectories(state);
  FakeTool claude;
  claude.output = json::dumpCompact(Json{{"type", "result"},
                                         {"result", fenced(repairedKotlin())},
                                         {"is_error", false},
                                         {"usage", {{"input_tokens", 10}, {"output_tokens", 20}}}});
  // The first file goes alone; every later run waits (a minute at most) until
  // three run at once, so a slow start on a loaded machine cannot keep the
  // window from filling.
  claude.body = "state=" + shellQuote(state.string()) + R"sh(
: > "$state/running.$$"
if [ "$(ls "$state" | grep -c '^started')" -gt 0 ]; then
  for wait in $(seq 600); do
    [ "$(ls "$state" | grep -c '^running')" -ge 3 ] && break
    sleep 0.1
  done
fi
: > "$state/started.$$"
ls "$state" | grep -c '^running' >> "$state/seen"
sleep 0.2
rm -f "$state/running.$$")sh";
  const auto tool = w.build.machine.tool("/opt/claude/claude", claude);
  w.options = AIRepairOptions({}, std::nullopt, std::nullopt);
  w.options.claudeCodePath = tool.program.string();
  w.options.parallelRequests = 4;
  const AIRepairResult result = w.make(project.project).run();

  EXPECT_EQ(result.filesRepaired, 10);
  EXPECT_EQ(tool.calls().size(), 10u);
  int most = 0;
  text::forEachLine(files::readFile(state / "seen"), text::LineEnds::lf, [&](std::string_view line) {
    if (!line.empty()) most = std::max(most, std::stoi(std::string(line)));
  });
  EXPECT_EQ(most, 3);
}

TEST(RepairRun, SlowRequestHoldsBackOnlyItsOwnSlot) {
  RepairProject project(manyFiles(10));
  std::mutex mutex;
  std::condition_variable changed;
  int others = 0;
  World w;
  w.log.hook = [&](const AIRepairEvent& event) {
    if (!is<FileFinished>(event)) return;
    std::lock_guard lock(mutex);
    ++others;
    changed.notify_all();
  };
  for (int i = 0; i < 10; ++i) {
    FakeReply reply = goodAnswer();
    // The batch's first request is answered once the other nine files have
    // finished, or after a minute when they cannot.
    if (i == 1) {
      reply.whileInFlight = [&] {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, 1min, [&] { return others == 9; });
      };
    }
    w.server.enqueue(reply);
  }
  const AIRepairResult result = w.make(project.project).run();
  EXPECT_EQ(result.filesRepaired, 10);

  const std::string text = userTextOf(w.modelRequests().at(1));
  const std::string marker = "Generated Kotlin file ";
  const auto at = text.find(marker) + marker.size();
  const std::string slow = text.substr(at, text.find(' ', at) - at);
  const auto finished = w.log.only<FileFinished>();
  ASSERT_EQ(finished.size(), 10u);
  EXPECT_EQ(finished.back().file, slow);
}

TEST(RepairRun, ManyFilesInParallel) {
  RepairProject project(manyFiles(200));
  World w;
  w.answer(goodAnswer());
  w.options.parallelRequests = 4;
  const AIRepairResult result = w.make(project.project).run();
  EXPECT_EQ(result.filesRepaired, 200);
  EXPECT_EQ(result.remainingPlaceholders, 1);
  EXPECT_EQ(result.compiled, true);
  EXPECT_TRUE(result.log.empty());
  EXPECT_EQ(result.modelUsage, (std::map<std::string, int>{{flashLabel, 200}}));
  int most = 0;
  for (const Progress& progress : w.log.only<Progress>()) most = std::max(most, progress.done);
  EXPECT_EQ(most, 200);
}

// ---- The report section

AIRepairResult resultOf(int files, int placeholders, std::optional<bool> compiled, int errors, double cost,
                        std::vector<std::string> log, std::map<std::string, int> usage) {
  AIRepairResult result;
  result.filesRepaired = files;
  result.remainingPlaceholders = placeholders;
  result.compiled = compiled;
  result.remainingErrors = errors;
  result.costUSD = cost;
  result.log = std::move(log);
  result.modelUsage = std::move(usage);
  return result;
}

TEST(RepairReport, SectionLinesFollowTheResult) {
  const auto section = [](const AIRepairResult& result) {
    return AIRepairer::reportSection(result, "2025-03-14T09:26:53Z");
  };
  const std::string heading = "\n\n## KI-Reparatur (2025-03-14T09:26:53Z)\n\n";
  EXPECT_EQ(section(resultOf(3, 0, true, 0, 0.0349, {},
                             {{"Gemini gemini-pro-latest", 2}, {"Claude claude-sonnet-5", 1}})),
            heading +
                "- Dateien bearbeitet: 3\n"
                "- Modelle: Claude claude-sonnet-5 ×1, Gemini gemini-pro-latest ×2\n"
                "- Verbleibende Platzhalter: 0\n"
                "- Kompiliert: ja ✅\n"
                "- Geschätzte API-Kosten: 0.03 $\n");
  EXPECT_EQ(section(resultOf(4, 2, false, 12, 1234.5,
                             {"A.kt: Die KI hat keinen Code zurückgegeben.", "Gradle-Build fehlgeschlagen: x"},
                             {{"Lokal qwen2.5-coder:7b", 12}})),
            heading +
                "- Dateien bearbeitet: 4\n"
                "- Modelle: Lokal qwen2.5-coder:7b ×12\n"
                "- Verbleibende Platzhalter: 2\n"
                "- Kompiliert: nein – 12 Fehler übrig\n"
                "- Geschätzte API-Kosten: 1234.50 $\n"
                "- ⚠︎ A.kt: Die KI hat keinen Code zurückgegeben.\n"
                "- ⚠︎ Gradle-Build fehlgeschlagen: x\n");
  // Without a compile check there is no such line at all.
  EXPECT_EQ(section(resultOf(0, 7, std::nullopt, 0, 0, {}, {})),
            heading +
                "- Dateien bearbeitet: 0\n"
                "- Modelle: \n"
                "- Verbleibende Platzhalter: 7\n"
                "- Geschätzte API-Kosten: 0.00 $\n");
}

TEST(RepairReport, CostIgnoresTheProcessLocale) {
  const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
  const char* german = "de_DE.UTF-8";
  TempDir locales;
  bool set = std::setlocale(LC_NUMERIC, german) != nullptr;
  if (!set && fs::exists("/usr/bin/localedef")) {
    // Not installed system-wide: build it for this test alone.
    process::Spec spec;
    spec.program = "/usr/bin/localedef";
    spec.arguments = {"-i", "de_DE", "-f", "UTF-8", (locales / german).string()};
    spec.environment = Host::system().environment();
    spec.outputs = process::Outputs::discard;
    spec.input = process::Input::null;
    process::run(spec);
    ::setenv("LOCPATH", locales.path().c_str(), 1);
    set = std::setlocale(LC_NUMERIC, german) != nullptr;
  }
  if (!set) GTEST_SKIP() << "no German locale on this machine";
  char printed[16];
  std::snprintf(printed, sizeof printed, "%.2f", 0.0349);
  const std::string section = AIRepairer::reportSection(resultOf(1, 0, true, 0, 0.0349, {}, {}), "d");
  std::setlocale(LC_NUMERIC, previous.c_str());
  ::unsetenv("LOCPATH");
  EXPECT_STREQ(printed, "0,03");  // the locale is in force
  EXPECT_NE(section.find("- Geschätzte API-Kosten: 0.03 $\n"), std::string::npos) << section;
}

TEST(RepairReport, EveryRunAddsASectionToTheExistingReport) {
  RepairProject project({placeholderFile("Notes.kt", 1)});
  for (int run = 1; run <= 2; ++run) {
    World w;
    w.answer(goodAnswer());
    w.make(project.project).run();
  }
  const std::string report = reportOf(project);
  const auto first = report.find("\n\n## KI-Reparatur (");
  const auto second = report.find("\n\n## KI-Reparatur (", first + 1);
  EXPECT_TRUE(report.starts_with(originalReport));
  EXPECT_EQ(first, originalReport.size());
  ASSERT_NE(second, std::string::npos);
  // The older section first: it repaired a file, the later one had nothing left.
  EXPECT_NE(report.substr(first, second - first).find("- Dateien bearbeitet: 1\n"), std::string::npos);
  EXPECT_NE(report.substr(second).find("- Dateien bearbeitet: 0\n"), std::string::npos);

  // A report the user deleted stays deleted; the run still has its result.
  fs::remove(project.report());
  World w;
  w.answer(goodAnswer());
  EXPECT_EQ(w.make(project.project).run().compiled, true);
  EXPECT_FALSE(fs::exists(project.report()));
}

}  // namespace
}  // namespace tovrane
