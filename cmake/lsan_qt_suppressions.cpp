// Linked into the Qt test programs: LeakSanitizer is told about the
// allocations fontconfig (loaded by Qt's font database) keeps for the life
// of the process. Without LeakSanitizer nothing calls this.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
