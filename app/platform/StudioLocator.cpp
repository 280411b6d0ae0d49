#include "app/platform/StudioLocator.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

namespace tovrane::app {

namespace {

const QStringList launcherNames{QStringLiteral("studio.sh"), QStringLiteral("android-studio")};

bool isExecutableFile(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && info.isExecutable();
}

QStringList splitEnvironmentList(const char* name, const QString& fallback) {
  QString value = qEnvironmentVariable(name);
  if (value.isEmpty()) {
    value = fallback;
  }
  return value.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

// The value escapes of the desktop-entry "string" type: \s \n \t \r \\.
QString unescapeValue(const QString& value) {
  QString result;
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value[i];
    if (c != QLatin1Char('\\') || i + 1 == value.size()) {
      result += c;
      continue;
    }
    const QChar next = value[++i];
    switch (next.unicode()) {
      case 's': result += QLatin1Char(' '); break;
      case 'n': result += QLatin1Char('\n'); break;
      case 't': result += QLatin1Char('\t'); break;
      case 'r': result += QLatin1Char('\r'); break;
      case '\\': result += QLatin1Char('\\'); break;
      default: result += c; result += next; break;
    }
  }
  return result;
}

bool isFieldCode(QChar c) {
  return QStringLiteral("fFuUickdDnNvm").contains(c);
}

// The keys of the [Desktop Entry] group, unlocalised only.
QHash<QString, QString> readDesktopEntry(const QString& path) {
  QHash<QString, QString> entry;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    return entry;
  }
  QTextStream stream(&file);
  bool inMainGroup = false;
  while (!stream.atEnd()) {
    const QString line = stream.readLine().trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inMainGroup = line == QLatin1String("[Desktop Entry]");
      continue;
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (!inMainGroup || line.startsWith(QLatin1Char('#')) || equals <= 0) {
      continue;
    }
    const QString key = line.left(equals).trimmed();
    if (!key.contains(QLatin1Char('['))) {
      entry.insert(key, line.mid(equals + 1).trimmed());
    }
  }
  return entry;
}

bool namesStudio(const QString& fileName, const QHash<QString, QString>& entry) {
  return entry.value(QStringLiteral("Name")).startsWith(QLatin1String("Android Studio")) ||
         fileName.contains(QLatin1String("android-studio")) || fileName.contains(QLatin1String("jetbrains-studio"));
}

std::optional<StudioCommand> fromDesktopEntry(const QString& path, const QStringList& pathFolders) {
  const QHash<QString, QString> entry = readDesktopEntry(path);
  if (entry.value(QStringLiteral("Type")) != QLatin1String("Application") ||
      entry.value(QStringLiteral("Hidden")) == QLatin1String("true") ||
      !namesStudio(QFileInfo(path).fileName(), entry)) {
    return std::nullopt;
  }
  QStringList words = splitDesktopExec(entry.value(QStringLiteral("Exec")));
  if (words.isEmpty()) {
    return std::nullopt;
  }
  QString program = words.takeFirst();
  if (!program.contains(QLatin1Char('/'))) {
    program = QStandardPaths::findExecutable(program, pathFolders);
  }
  if (program.isEmpty() || !isExecutableFile(program)) {
    return std::nullopt;
  }
  return StudioCommand{program, words};
}

}  // namespace

StudioSearch StudioSearch::fromEnvironment() {
  const QString home = QDir::homePath();
  StudioSearch search;
  search.pathFolders = splitEnvironmentList("PATH", QStringLiteral("/usr/local/bin:/usr/bin:/bin"));
  search.installCandidates = {
      home + QStringLiteral("/android-studio/bin/studio.sh"),
      QStringLiteral("/opt/android-studio/bin/studio.sh"),
      QStringLiteral("/usr/local/android-studio/bin/studio.sh"),
      home + QStringLiteral("/.local/share/JetBrains/Toolbox/apps/android-studio/bin/studio.sh"),
      QStringLiteral("/snap/bin/android-studio"),
  };
  QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
  if (dataHome.isEmpty()) {
    dataHome = home + QStringLiteral("/.local/share");
  }
  search.applicationFolders.append(dataHome + QStringLiteral("/applications"));
  for (const QString& folder : splitEnvironmentList("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"))) {
    search.applicationFolders.append(folder + QStringLiteral("/applications"));
  }
  return search;
}

std::optional<StudioCommand> locateStudio(const StudioSearch& search) {
  for (const QString& name : launcherNames) {
    const QString found = QStandardPaths::findExecutable(name, search.pathFolders);
    if (!found.isEmpty()) {
      return StudioCommand{found, {}};
    }
  }
  for (const QString& candidate : search.installCandidates) {
    if (isExecutableFile(candidate)) {
      return StudioCommand{candidate, {}};
    }
  }
  for (const QString& folder : search.applicationFolders) {
    const QStringList entries = QDir(folder).entryList({QStringLiteral("*.desktop")}, QDir::Files, QDir::Name);
    for (const QString& name : entries) {
      if (auto command = fromDesktopEntry(folder + QLatin1Char('/') + name, search.pathFolders)) {
        return command;
      }
    }
  }
  return std::nullopt;
}

QStringList splitDesktopExec(const QString& exec) {
  const QString value = unescapeValue(exec);
  QStringList words;
  QString word;
  bool inWord = false;
  bool quoted = false;
  // An unquoted word made of field codes alone disappears with them.
  bool onlyFieldCodes = true;
  auto finishWord = [&] {
    if (inWord && !(onlyFieldCodes && word.isEmpty())) {
      words.append(word);
    }
    word.clear();
    inWord = false;
    onlyFieldCodes = true;
  };
  for (qsizetype i = 0; i < value.size(); ++i) {
    const QChar c = value[i];
    if (quoted) {
      if (c == QLatin1Char('"')) {
        quoted = false;
      } else if (c == QLatin1Char('\\') && i + 1 < value.size() &&
                 QStringLiteral("\"`$\\").contains(value[i + 1])) {
        word += value[++i];
      } else {
        word += c;
      }
      continue;
    }
    if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
      finishWord();
    } else if (c == QLatin1Char('"')) {
      quoted = true;
      inWord = true;
      onlyFieldCodes = false;
    } else if (c == QLatin1Char('%') && i + 1 < value.size()) {
      inWord = true;
      const QChar code = value[++i];
      if (code == QLatin1Char('%')) {
        word += code;
        onlyFieldCodes = false;
      } else if (!isFieldCode(code)) {
        word += c;
        word += code;
        onlyFieldCodes = false;
      }
    } else {
      word += c;
      inWord = true;
      onlyFieldCodes = false;
    }
  }
  if (quoted) {
    return {};
  }
  finishWord();
  return words;
}

}  // namespace tovrane::app
