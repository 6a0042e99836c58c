// Entry points of libtavrin.so. The automation layer and the class factory join here;
// until then the library carries the codec, the data area and the result texts.
#include "tavrin/TavrinEnums.h"

extern "C" __attribute__((visibility("default"))) int TavrinInterfaceVersion() {
    return 0x20001;
}
