// The product's files on disk: never read-only once installed, and removed
// from a folder, shared by the setup (an earlier installation) and the
// uninstaller.
#ifndef COMMON_PRODUCTFILES_H
#define COMMON_PRODUCTFILES_H

// Drops the read-only attribute of a file and keeps its other attributes;
// files copied from read-only media (a disc, a read-only share) carry it,
// and Windows then refuses to replace or delete them.
void ClearReadOnly(const char *path);

// Deletes a file, read-only or not; 1 when it is gone.
int DiscardFile(const char *path);

// Deletes the ten product files from a folder, each by its full path, after
// clearing its read-only attribute; missing files are skipped and results
// are not reported.
void DeleteProductFiles(const char *folder);

#endif
