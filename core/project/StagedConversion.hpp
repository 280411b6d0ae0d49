#pragma once
// The conversion as the command line and the app run it: into an output
// folder that does not exist yet and that only ever appears complete.
//
// The project is written into a hidden sibling of the output folder and moved
// into place with one rename at the end, which never replaces anything that
// appeared there meanwhile. A run that fails, is stopped, or whose progress
// callback throws removes the sibling and the parent folders it created
// before the exception goes on; so no half-written project stays behind and
// a retry is not blocked.
//
// A run holds a lock on its hidden sibling for as long as it lives; the
// system drops the lock when the process ends, however it ends. A process
// killed outright leaves its sibling behind, and the next run into the same
// output folder removes every such sibling whose lock it can take: that of a
// live run it can never take, so a live run's work is never touched.
#include "core/project/Converter.hpp"

#include <filesystem>
#include <stop_token>

namespace tovrane {

// Converts project into output. Throws ConversionError::outputExists when
// something stands at output (checked first and again at the final rename),
// Cancelled when `stop` is requested, and whatever the driver or the progress
// callback throws. The conversion runs on a thread of its own with a large
// stack, which also calls progress; the caller waits for it.
// result.outputDirectory is output, normalised.
ConversionResult convertIntoNewFolder(const std::filesystem::path& project, const std::filesystem::path& output,
                                      const ConversionOptions& options, const TovraneConverter::Progress& progress,
                                      std::stop_token stop = {});

}  // namespace tovrane
