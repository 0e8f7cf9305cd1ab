#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

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

TempDir::TempDir()
{
    EXPECT_TRUE(m_dir.isValid()) << m_dir.errorString().toStdString();
}

QStringList TempDir::entries() const
{
    return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace quadrilo::testsupport
