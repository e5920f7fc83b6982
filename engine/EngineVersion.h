#pragma once

// The library's version, exported under these C names so that any client can find them.
extern "C" {
extern const double EngineVersionNumber;
extern const unsigned char EngineVersionString[];
}
