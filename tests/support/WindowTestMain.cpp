// main() of the window tests: one QApplication, Italian, for all of them.

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Window tests never need a display, not even to list themselves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Quadrilo"));
    QApplication::setQuitOnLastWindowClosed(false);
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
