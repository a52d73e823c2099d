// Replaces a file's whole content so that a reader sees either the old file or the new one,
// never a half-written one: the text goes into a temporary file beside the target, is flushed
// to the disk and then renamed over the target. On any failure the temporary file is removed
// and the target stays as it was.
#pragma once

#include <string>

namespace plotwin {

// Writes text as the new content of path. A symbolic link stays a link: the file it points to
// is replaced. An existing file keeps its permission bits; a new one gets 0666 less the umask.
// False on failure, with a short reason (the step and the system's message) in *error when
// error is not null.
bool ReplaceFileContents(const std::string& path, const std::string& text, std::string* error);

}  // namespace plotwin
