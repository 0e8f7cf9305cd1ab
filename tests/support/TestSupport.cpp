#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace quadrilo::testsupport {

QString fixturePath(const QString& relativePath)
{
    return QString::fromUtf8(QUADRILO_FIXTURES_DIR) + QLatin1Char('/') + relativePath;
}

QByteArray readFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString() << ": " << file.errorString().toStdString();
        return {};
    }
    return file.readAll();
}

bool writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

bool copyFile(const QString& from, const QString& to)
{
    QFile file(from);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return writeFileBytes(to, file.readAll());
}

namespace {

QString runPoppler(const char* tool, const QStringList& arguments)
{
    QProcess process;
    process.start(QString::fromLatin1(tool), arguments);
    const bool done = process.waitForFinished(30000);
    EXPECT_TRUE(done && process.exitCode() == 0) << tool << " failed on " << arguments.join(QLatin1Char(' ')).toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

QString pdfText(const QString& path)
{
    return runPoppler("pdftotext", {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

QString pdfMetadata(const QString& path)
{
    return runPoppler("pdfinfo", {QStringLiteral("-meta"), path});
}

TempDir::TempDir()
{
    EXPECT_TRUE(m_dir.isValid()) << m_dir.errorString().toStdString();
}

QStringList TempDir::entries() const
{
    return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace quadrilo::testsupport
