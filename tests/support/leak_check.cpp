// Leak-check exception for a system library: fontconfig keeps parts of its parsed
// configuration for the process. Only sanitizer builds ask for it; test programs that draw
// text link this file.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
