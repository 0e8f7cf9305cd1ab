#include "support/TestSupport.h"
#include "app/CommandLine.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace quadrilo;

namespace {

using quadrilo::testsupport::s;

} // namespace

TEST(CommandLine, TheProgramFolderIsTheExecutablesUnlessCartellaNamesOne)
{
    const QString exe = s("/opt/quadrilo/bin");
    EXPECT_EQ(parseCommandLine({s("quadrilo")}, exe).programFolder, exe);
    EXPECT_EQ(parseCommandLine({s("quadrilo"), s("--cartella"), s("/srv/ufficio")}, exe).programFolder, s("/srv/ufficio"));
    const CommandLine relative = parseCommandLine({s("quadrilo"), s("--cartella"), s("demo")}, exe);
    EXPECT_EQ(relative.programFolder, QDir::current().absoluteFilePath(s("demo")));
    EXPECT_TRUE(relative.error.isEmpty());
    EXPECT_FALSE(relative.showUsage);
}

TEST(CommandLine, BadOptionsAreNamed)
{
    const QString exe = s("/opt/quadrilo/bin");
    EXPECT_EQ(parseCommandLine({s("quadrilo"), s("--cartella")}, exe).error, s("Manca la cartella dopo --cartella."));
    EXPECT_EQ(parseCommandLine({s("quadrilo"), s("--folder"), s("x")}, exe).error, s("Opzione sconosciuta: --folder"));
    EXPECT_TRUE(parseCommandLine({s("quadrilo"), s("--help")}, exe).showUsage);
    EXPECT_TRUE(usageText().startsWith(s("Uso: quadrilo [--cartella CARTELLA]")));
}
