#pragma once
// Where the page images of scanned documents live: the storage root of the
// workplace, the station's folder under it, the page file names and the
// FILENAMES lines (station name, backslash, file name), and copying the
// chosen page files into the station's folder.
#include <QString>
#include <QStringList>

namespace velta::directories::scandocs {

// "S:\DEXE\ScanDocuments\" on remote workplaces (kind 1 or 2), else the same on "C:".
QString StorageRoot(int workplaceKind);
// The station's folder: root + station name + "\".
QString StationFolder(const QString& root, const QString& stationName);
// Prefix + ID with at least three digits + "_" + page + the source's extension.
QString PageFileName(const QString& prefix, int id, int page, const QString& sourcePath);
// The page paths of a FILENAMES value, each non-empty line behind the root;
// an empty value gives one page without a file.
QStringList PagePathsOf(const QString& fileNames, const QString& root);
// The paths among pages whose files do not exist (pages without a name are skipped).
QStringList MissingFiles(const QStringList& pages);
// True when the path lies inside the folder (Windows-style texts, any letter case).
bool LiesUnder(const QString& path, const QString& folder);
// True when two paths name the same file, without regard to letter case.
bool SamePath(const QString& a, const QString& b);

// What copying the pages of a new document did.
struct StoredPages {
    QStringList lines;       // the FILENAMES lines, in page order
    QStringList copied;      // targets written by the copy
    QStringList outsideRoot; // sources that do not lie under the root
};

// Copies each page into the station's folder under its page file name; a
// page already there stays. An existing target is deleted first. Raises the
// messages of a failed delete or copy.
StoredPages StorePages(const QStringList& pages, const QString& root, const QString& stationName,
                       const QString& prefix, int id);

// Deletes files (Windows-style or native); failures are ignored.
void DeleteFiles(const QStringList& files);

} // namespace velta::directories::scandocs
