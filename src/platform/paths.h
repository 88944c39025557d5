// Where the program itself lies.
#pragma once
#include <string>

// The folder of the running executable, ending in '/'; empty when unknown.
std::string PlatformExecutableFolder();
