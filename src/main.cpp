// The `torvo` command: text conversions and the help run here, on QtCore alone, and start
// at once; the window and the picture export are the editor's program, which this one
// becomes (same process, same arguments).
#include "files/ExportCommand.h"
#include "files/ExportText.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// The editor sits at the same place relative to this program when built and installed.
std::string editorPath() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return TORVO_EDITOR_FROM_BIN "/torvo-editor";
    std::string path(self, std::size_t(n));
    return path.substr(0, path.rfind('/') + 1) + TORVO_EDITOR_FROM_BIN "/torvo-editor";
}

} // namespace

int main(int argc, char** argv) {
    if (torvo::isCommandLineTool(argc, argv) && !torvo::needsGuiApplication(argc, argv))
        return torvo::commandLineMain(argc, argv, torvo::exportTextBytes, nullptr);
    const std::string editor = editorPath();
    execv(editor.c_str(), argv);
    std::fprintf(stderr, "torvo: no se pudo iniciar el editor «%s»: %s\n", editor.c_str(),
                 std::strerror(errno));
    return 1;
}
