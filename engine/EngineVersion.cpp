#include "EngineVersion.h"

extern "C" {
const double EngineVersionNumber = 1.0;
const unsigned char EngineVersionString[] = "@(#)PROGRAM:Engine  PROJECT:Tarvine-1\n";
}
