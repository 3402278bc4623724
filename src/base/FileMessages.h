#pragma once

#include <QString>

namespace torvo {

// How a message names a file: by its name (the window, whose dialogs give whole paths), or
// by the path as the user gave it (the command line, where one name may stand in many
// folders and a script must know which file failed).
enum class PathNaming { FileName, AsGiven };
void setPathNaming(PathNaming naming);
// `path` as a message names it.
QString shownPath(const QString& path);

// What a system error number means, in Spanish and in lower case, to follow a colon.
QString systemError(int code);

} // namespace torvo
