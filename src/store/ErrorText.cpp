#include "store/ErrorText.h"

#include <QDir>

#include <cerrno>
#include <QStringList>

namespace quadrilo::store {
namespace {

QString reasonOf(const SessionError& error)
{
    return error.systemError != 0 ? systemErrorText(error.systemError) : error.detail;
}

} // namespace


QString readErrorText(const xls::Error& error, const QString& path)
{
    const QString file = QDir::toNativeSeparators(path);
    using C = xls::ErrorCode;
    switch (error.code) {
    case C::Io: return QStringLiteral("Impossibile leggere il file %1.").arg(file);
    case C::NotCompoundFile: return QStringLiteral("Il file %1 non è una cartella di lavoro di Excel.").arg(file);
    case C::OfficeOpenXml:
        return QStringLiteral("Il file %1 è nel formato .xlsx: occorre salvarlo come \"Cartella di lavoro di Excel 97-2003\" (.xls).").arg(file);
    case C::MissingWorkbookStream: return QStringLiteral("Il file %1 non contiene una cartella di lavoro di Excel.").arg(file);
    case C::UnsupportedVersion:
        return QStringLiteral("Il file %1 è nel formato di Excel 95 o precedente: occorre salvarlo come \"Cartella di lavoro di Excel 97-2003\" (.xls).").arg(file);
    case C::NotEncrypted: return QStringLiteral("Il file %1 non è protetto da password.").arg(file);
    case C::WrongPassword: return QStringLiteral("La password del file %1 non è corretta.").arg(file);
    case C::UnsupportedEncryption: return QStringLiteral("Il file %1 è protetto con una cifratura non supportata.").arg(file);
    case C::Corrupt: return QStringLiteral("Il file %1 è danneggiato e non si può leggere.").arg(file);
    case C::TooLarge: return QStringLiteral("Il file %1 supera i limiti di una cartella di lavoro di Excel 97-2003.").arg(file);
    case C::InvalidContent: return QStringLiteral("Il contenuto non si può scrivere nel file %1.").arg(file);
    }
    return QStringLiteral("Errore sconosciuto sul file %1.").arg(file);
}

QString systemErrorText(int error)
{
    switch (error) {
    case EACCES: return QStringLiteral("permesso negato");
    case EPERM: return QStringLiteral("operazione non permessa");
    case ENOSPC: return QStringLiteral("spazio esaurito sul disco");
    case EDQUOT: return QStringLiteral("quota disco superata");
    case EROFS: return QStringLiteral("il disco è in sola lettura");
    case ENOENT: return QStringLiteral("file o cartella inesistente");
    case ENOTDIR: return QStringLiteral("un elemento del percorso non è una cartella");
    case EISDIR: return QStringLiteral("al posto del file c'è una cartella");
    case ENOTEMPTY: return QStringLiteral("la cartella non è vuota");
    case EEXIST: return QStringLiteral("il file esiste già");
    case EIO: return QStringLiteral("errore di lettura o scrittura sul disco");
    case EBUSY: return QStringLiteral("il file è occupato");
    case ETXTBSY: return QStringLiteral("il file è in uso");
    case ENAMETOOLONG: return QStringLiteral("nome del file troppo lungo");
    case ELOOP: return QStringLiteral("troppi collegamenti simbolici nel percorso");
    case EMFILE:
    case ENFILE: return QStringLiteral("troppi file aperti");
    case ENOMEM: return QStringLiteral("memoria insufficiente");
    case EFBIG: return QStringLiteral("file troppo grande");
    case EXDEV: return QStringLiteral("il file è su un altro disco");
    case ENOLCK: return QStringLiteral("il blocco del file non è disponibile");
    case EAGAIN: return QStringLiteral("risorsa temporaneamente non disponibile");
    case EINTR: return QStringLiteral("operazione interrotta");
    case ESTALE: return QStringLiteral("il file su disco di rete non è più valido");
    case ENXIO:
    case ENODEV: return QStringLiteral("dispositivo non disponibile");
    case EINVAL: return QStringLiteral("operazione non valida");
    }
    return QStringLiteral("errore di sistema %1").arg(error);
}

QString sessionErrorText(const SessionError& error)
{
    const QString file = QDir::toNativeSeparators(error.path);
    using K = SessionError::Kind;
    switch (error.kind) {
    case K::InUse: return QStringLiteral("Il file %1 è già aperto da un altro programma.").arg(file);
    case K::Missing: return QStringLiteral("Il file %1 non è stato trovato.").arg(file);
    case K::Unreadable: return readErrorText(error.cause, error.path);
    case K::ReadOnly: return QStringLiteral("Il file %1 è in sola lettura.").arg(file);
    case K::LockFailed: return QStringLiteral("Impossibile riservare il file %1: %2.").arg(file, reasonOf(error));
    case K::SaveFailed:
        return QStringLiteral("Il salvataggio del file %1 non è riuscito; il file precedente è rimasto intatto. Motivo: %2.")
            .arg(file, reasonOf(error));
    case K::BackupFailed:
        return QStringLiteral("Impossibile conservare una copia del file originale %1 in %2; il file non è stato salvato.")
            .arg(file, QDir::toNativeSeparators(error.detail));
    case K::Closed: return QStringLiteral("Il file %1 è già stato chiuso.").arg(file);
    case K::Exists: return QStringLiteral("Il file %1 esiste già: non viene sovrascritto.").arg(file);
    case K::NotAnArchive:
        return QStringLiteral("Il file %1 non è un archivio di Quadrilo: manca il foglio %2.").arg(file, error.detail);
    }
    return QStringLiteral("Errore sconosciuto sul file %1.").arg(file);
}

QString droppedContentText(xls::DroppedContent dropped)
{
    using D = xls::DroppedContent;
    static const std::pair<D, const char*> kNames[] = {
        {D::Formulas, "formule (resta il loro ultimo valore)"},
        {D::Charts, "grafici"},
        {D::Pictures, "immagini e disegni"},
        {D::Comments, "commenti"},
        {D::Macros, "macro"},
        {D::Hyperlinks, "collegamenti ipertestuali"},
        {D::DataValidation, "convalida dei dati"},
        {D::ConditionalFormats, "formattazione condizionale"},
        {D::DefinedNames, "nomi definiti"},
        {D::Protection, "protezione di fogli o cartella"},
        {D::RichText, "formattazione di parti del testo"},
        {D::OtherStreams, "altri contenuti"},
        {D::AutoFilter, "filtri automatici"},
    };
    QStringList names;
    for (const auto& [flag, name] : kNames)
        if (xls::hasAny(dropped, flag))
            names << QString::fromUtf8(name);
    return names.join(QStringLiteral(", "));
}

QString keptOriginalText(xls::DroppedContent dropped, const QString& copyPath)
{
    return QStringLiteral("Il file conteneva elementi che questo programma non conserva (%1). Una copia del file originale è stata conservata in %2.")
        .arg(droppedContentText(dropped), QDir::toNativeSeparators(copyPath));
}

} // namespace quadrilo::store
