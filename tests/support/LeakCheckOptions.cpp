// The leak checker's defaults for the test programs that may open Firebird in their own process
// (every one linking the database layer), read before the environment's LSAN_OPTIONS (which may
// add to them). Thread-local blocks are left out of its roots: it misreads those of the Firebird
// engine, loaded and unloaded at run time, and its tracer crashes at exit. Without those roots it
// can only report more, never hide a leak.
extern "C" const char* __lsan_default_options();

extern "C" const char* __lsan_default_options() {
    return "use_tls=0";
}
