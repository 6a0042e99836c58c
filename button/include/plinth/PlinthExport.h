// What libplinth.so exports; everything else in it stays hidden.
#pragma once

#if defined(PLINTH_BUILDING_LIBRARY) || defined(PLINTH_STATIC)
#define PLINTH_EXPORT __attribute__((visibility("default")))
#else
#define PLINTH_EXPORT
#endif
