#pragma once
// The application's folder: "TovraneAndroid" inside the per-user data folder
// (~/.local/share on Linux, Application Support on macOS). It holds the
// history and the key file; whichever store writes first creates it, readable
// by the user alone.
#include <QString>

namespace tovrane::app {

struct AppPaths {
  // The folder's path; nothing is created.
  static QString folder();
  // The folder, created with mode 0700 when it does not exist yet (an
  // existing folder keeps its mode). Throws files::FileError on failure.
  static QString ensureFolder();
};

}  // namespace tovrane::app
