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
//  - Qt is not built with ThreadSanitizer: the sanitizer sees none of its own reads and writes,
//    only the allocations and copies it makes through the C library, and not the futexes that
//    order its event queues and thread pools. Those calls from Qt's libraries (and its platform
//    plugins) are left unwatched, which is what an uninstrumented library needs; nothing is
//    suppressed by stack, so a race in this program's code is reported with Qt frames below it
//    or not. The program's own hand-overs through Qt's event queue announce themselves to the
//    sanitizer (HandOver.h); its other data crosses threads under its own locks.
extern "C" {

__attribute__((visibility("default"), used)) const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n";
}

__attribute__((visibility("default"), used)) const char *__tsan_default_suppressions()
{
    return "called_from_lib:libQt6Core.so\n"
           "called_from_lib:libQt6Gui.so\n"
           "called_from_lib:libQt6Widgets.so\n"
           "called_from_lib:libQt6Charts.so\n"
           "called_from_lib:libQt6PrintSupport.so\n"
           "called_from_lib:libQt6OpenGL.so\n"
           "called_from_lib:libQt6OpenGLWidgets.so\n"
           "called_from_lib:libQt6DBus.so\n"
           "called_from_lib:libQt6Test.so\n"
           "called_from_lib:libQt6XcbQpa.so\n"
           "called_from_lib:libqoffscreen.so\n"
           "called_from_lib:libqxcb.so\n";
}

} // extern "C"
