#pragma once
// The conversion as the command line and the app run it: into an output
// folder that does not exist yet and that only ever appears complete.
//
// The project is written into a hidden sibling of the output folder and moved
// into place with one rename at the end, which never replaces anything that
// appeared there meanwhile. A run that fails, or whose progress callback stops
// it by throwing, removes the sibling and the parent folders it created before
// the exception goes on; so no half-written project stays behind and a retry
// is not blocked. A process killed outright leaves at most the hidden sibling,
// which neither looks finished nor stands in the way.
#include "core/project/Converter.hpp"

#include <filesystem>

namespace tovrane {

// Converts project into output. Throws ConversionError::outputExists when
// something stands at output (checked first and again at the final rename),
// and whatever the driver or the progress callback throws. The conversion runs
// on a thread of its own with a large stack, which also calls progress; the
// caller waits for it. result.outputDirectory is output, normalised.
ConversionResult convertIntoNewFolder(const std::filesystem::path& project, const std::filesystem::path& output,
                                      const ConversionOptions& options, const TovraneConverter::Progress& progress);

}  // namespace tovrane
