// Under the leak sanitizer: fontconfig keeps its caches until the process
// ends, and widgets that draw text make it fill them.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
