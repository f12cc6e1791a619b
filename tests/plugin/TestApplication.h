#pragma once
// One Qt application object per test program, for widgets and the host model.

#include <QApplication>

namespace rozo::test
{
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "rozo-test";
    static char* argv[] = { name, nullptr };
    if (!QCoreApplication::instance())
        new QApplication(argc, argv);
}
} // namespace rozo::test
