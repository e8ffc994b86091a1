// morvane-thumbnail: the thumbnailer file managers run on drawings and projects (see
// morvane.thumbnailer). The limits come first, so that nothing the input makes us do escapes them.
#include "thumbnail/limits.h"
#include "thumbnail/thumbnail.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    thumb::ApplyLimits(thumb::ProgramLimits());
    const std::vector<std::string> args(argv + 1, argv + argc);
    return thumb::RunThumbnailer(args, std::cout, std::cerr);
}
