#include "support/TestSupport.h"
#include "app/CommandLine.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace quadrilo;

namespace {

using quadrilo::testsupport::s;
using quadrilo::testsupport::TempDir;

} // namespace

TEST(CommandLine, TheProgramFolderIsCartellaOrTheExecutablesOwnOrTheUsersDocuments)
{
    TempDir own;
    const QString documents = s("/home/anna/Documenti");
    EXPECT_EQ(programFolder(parseCommandLine({s("quadrilo")}), own.path(), documents).path, own.path());
    EXPECT_FALSE(programFolder(parseCommandLine({s("quadrilo")}), own.path(), documents).perUser);

    // Installed: nothing is ever created beside the executable.
    for (const char* installed : {"/usr/bin", "/usr/local/bin", "/opt/quadrilo/bin"}) {
        const ProgramFolder folder = programFolder(parseCommandLine({s("quadrilo")}), s(installed), documents);
        EXPECT_EQ(folder.path, s("/home/anna/Documenti/Quadrilo")) << installed;
        EXPECT_TRUE(folder.perUser);
    }
    const CommandLine given = parseCommandLine({s("quadrilo"), s("--cartella"), s("/srv/ufficio")});
    EXPECT_EQ(programFolder(given, s("/usr/bin"), documents).path, s("/srv/ufficio"));
    EXPECT_FALSE(programFolder(given, s("/usr/bin"), documents).perUser);
    const CommandLine relative = parseCommandLine({s("quadrilo"), s("--cartella"), s("demo")});
    EXPECT_EQ(relative.folder, QDir::current().absoluteFilePath(s("demo")));
    EXPECT_TRUE(relative.error.isEmpty());
}

TEST(CommandLine, BadOptionsAreNamedAndHelpAndVersionAreKnown)
{
    EXPECT_EQ(parseCommandLine({s("quadrilo"), s("--cartella")}).error, s("Manca la cartella dopo --cartella."));
    EXPECT_EQ(parseCommandLine({s("quadrilo"), s("--folder"), s("x")}).error, s("Opzione sconosciuta: --folder"));
    EXPECT_TRUE(parseCommandLine({s("quadrilo"), s("--help")}).showUsage);
    EXPECT_TRUE(parseCommandLine({s("quadrilo"), s("--version")}).showVersion);
    EXPECT_TRUE(usageText().startsWith(s("Uso: quadrilo [--cartella CARTELLA]")));
}
