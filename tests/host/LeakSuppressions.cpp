// Under the leak sanitizer: Qt 5.15's JSON parser leaks the values of a key
// that an object repeats (see tests/fuzz/leaks.supp), and the scene-file
// reader is compared with it on such files.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libQt5Core.so\n";
}
