#pragma once

// Small helpers shared by the tests: fixture paths, a temporary folder per test,
// whole-file reads and writes.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace quadrilo::testsupport {

// A text written in the source as UTF-8.
inline QString s(const char* text)
{
    return QString::fromUtf8(text);
}

// Path of a file below tests/fixtures, e.g. fixturePath("xls/xor-excel2002.xls").
QString fixturePath(const QString& relativePath);

// The whole content of a file; empty when it cannot be read (the test fails).
QByteArray readFileBytes(const QString& path);
// Writes (or replaces) a file with exactly these bytes; false on failure.
bool writeFileBytes(const QString& path, const QByteArray& bytes);
// Copies a file, replacing the target; false on failure.
bool copyFile(const QString& from, const QString& to);

// The text of a PDF file as pdftotext -layout reads it, and its XMP metadata
// as pdfinfo -meta prints it; the test fails when they cannot.
QString pdfText(const QString& path);
QString pdfMetadata(const QString& path);

// A fresh folder removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    // path() + '/' + name
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    // Names of everything in the folder, hidden files included, sorted.
    QStringList entries() const;

private:
    QTemporaryDir m_dir;
};

} // namespace quadrilo::testsupport
