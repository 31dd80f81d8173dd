// Suppressions of the sanitizers for Tools700 and its widget tests built with them (the sanitizer
// presets). They are consulted only by a sanitizer's runtime and have no effect on a normal build.
//
// LeakSanitizer:
//  - fontconfig keeps its caches until the process ends;
//  - an error that escapes a widget's own event handler unwinds through QApplication::notify,
//    whose frames do not release a QPointer's reference block (16 bytes per error). The program's
//    own handlers catch their errors before Qt's frames (RunAction, the bound controls); the
//    event loop's last net is exercised on purpose by the message-box tests.
// ThreadSanitizer:
//  - Qt is not built with ThreadSanitizer and synchronises its event queues and thread pool with
//    futex-based mutexes the sanitizer cannot see, so every hand-over through Qt looks like a
//    race. The program's own data crosses threads only under its own std::mutex.
extern "C" {

__attribute__((visibility("default"), used)) const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n";
}

__attribute__((visibility("default"), used)) const char *__tsan_default_suppressions()
{
    return "race:libQt6Core.so\n"
           "race:libQt6Gui.so\n"
           "race:libQt6Widgets.so\n";
}

} // extern "C"
