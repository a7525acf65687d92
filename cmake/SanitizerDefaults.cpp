// Built into every target of a sanitizer build, so that ctest, the scripts and a developer
// running a test by hand all get the same settings without setting anything themselves.
// Variables set in the environment still add to or override these.

extern "C" {

// Suppressions for system libraries only; see the file.
const char* __lsan_default_options() {
    return "suppressions=" TESSELO_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

// Undefined behaviour stops the test with a stack trace.
const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

} // extern "C"
