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
//    race. Suppressed are only: accesses made by Qt's own code (race_top looks at the top frame
//    alone), and objects handed over by Qt's posting calls (the event or functor that
//    invokeMethod or postEvent builds on one thread and the receiver reads on another, the task
//    its thread pool queues for one of its threads). An
//    access in this program's code is reported even when Qt frames are below it on the stack,
//    as on the user-interface thread they always are.
extern "C" {

__attribute__((visibility("default"), used)) const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n";
}

__attribute__((visibility("default"), used)) const char *__tsan_default_suppressions()
{
    return "race_top:libQt6Core.so\n"
           "race_top:libQt6Gui.so\n"
           "race_top:libQt6Widgets.so\n"
           "race:invokeMethod\n"
           "race:QCoreApplication::postEvent\n"
           "race:QThreadPoolPrivate::enqueueTask\n";
}

} // extern "C"
