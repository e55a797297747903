#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// The test desktop's CUPS queue "PDF" (cups-pdf) from the outside, through the CUPS command-line
// tools and the scheduler CUPS_SERVER names.
namespace cupsqueue {

inline constexpr auto DefaultQueue = "PDF";

// Whether the scheduler knows `queue`.
[[nodiscard]] bool exists(const QString &queue = QLatin1String(DefaultQueue));

// Where cups-pdf writes: "Out" of /etc/cups/cups-pdf.conf with ${HOME} and ${USER} of the user
// who submits (this process's user); ~/PDF when the file does not say.
[[nodiscard]] QString outputFolder();

// Waits until `lpstat -o queue` lists no job; false on timeout.
[[nodiscard]] bool waitUntilIdle(const QString &queue = QLatin1String(DefaultQueue),
                                 int timeoutMs = 60000);

// PDF files in outputFolder() modified at or after `since`, oldest first. cups-pdf names files
// after the job title, so a test that gives its job a unique title (QPrinter::setDocName) finds
// its own output with `nameContains` even when other schedulers write to the same folder.
[[nodiscard]] QStringList pdfsSince(const QDateTime &since, const QString &nameContains = {});

// Makes `queue` refuse (cupsreject) or take (cupsaccept) new jobs; false if the tool failed.
bool reject(const QString &queue = QLatin1String(DefaultQueue));
bool accept(const QString &queue = QLatin1String(DefaultQueue));

// Adds a cups-pdf queue or removes one (lpadmin), for tests that need a queue that vanishes.
bool addPdfQueue(const QString &queue);
bool removeQueue(const QString &queue);

} // namespace cupsqueue
