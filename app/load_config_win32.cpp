// Ravak.exe's load configuration, which the system reads as it loads the program: the
// libraries the program imports are taken from System32 alone (DependentLoadFlags), never
// from the program's own folder. The build points the image's load configuration directory
// here (cmake/set_load_config.py), which the linker does not do.
#include <windows.h>

#include <cstddef>

extern "C" {
extern const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used;
// Its size covers the fields up to DependentLoadFlags (named Reserved1 in these headers) and
// no further: no safe exception handler table is declared, and none is needed.
const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used = {
    .Size = offsetof(IMAGE_LOAD_CONFIG_DIRECTORY, Reserved1) + sizeof(WORD),
    .Reserved1 = LOAD_LIBRARY_SEARCH_SYSTEM32,
};
}
