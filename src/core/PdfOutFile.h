#pragma once

#include "platform/SafeFile.h"

#include <QByteArray>
#include <QString>

#include <functional>

#include <memory>

// The file a print run to PDF writes (the editors' runs and the list print).
// The PDF engine writes a temporary beside the user's file; the user's file
// is replaced only once the run is whole, so a stopped, failed or killed run
// leaves the earlier PDF as it was. Steps, in order:
//
//   TPdfOutFile out(chosenFile);
//   out.Begin(&error);               refuses the program's own files and a
//                                    file set read-only, puts back an
//                                    earlier PDF a killed run left aside and
//                                    sweeps a killed run's leftovers
//   printer.setOutputFileName(out.WritePath());   ... the run paints ...
//   out.Amend(step, &error);         a step that changes the finished PDF
//   out.Commit(&error);              checks the PDF whole, then puts it in place
//
// Destroyed without a commit, the temporary is removed.
class TPdfOutFile
{
public:
    explicit TPdfOutFile(const QString &Path);
    ~TPdfOutFile();
    TPdfOutFile(const TPdfOutFile &) = delete;
    TPdfOutFile &operator=(const TPdfOutFile &) = delete;

    // False when the file may not or cannot be written: with the message to
    // show when it is the program's own (Refused()), else with the reason.
    [[nodiscard]] bool Begin(QString *Error);
    [[nodiscard]] bool Refused() const { return m_refused; }
    // Where the engine writes the run (and a later step reads it back).
    [[nodiscard]] QString WritePath() const;
    // A step that changes the finished PDF before it is put in place: Step
    // gets its bytes and may change them; changed, they are written back.
    // False with the reason when the temporary cannot be read or rewritten.
    [[nodiscard]] bool Amend(const std::function<void(QByteArray &)> &Step, QString *Error);
    // False with the reason (not the file name) when the PDF is not whole or
    // cannot be put in place; the user's file is then as it was.
    [[nodiscard]] bool Commit(QString *Error);
    // The reason a run's PDF was not written whole: the engine keeps its
    // write errors to itself, so the disk is asked (a full disk is named).
    [[nodiscard]] QString UnfinishedReason() const;

    [[nodiscard]] const QString &Path() const { return m_path; }

private:
    QString m_path;
    bool m_refused = false;
    std::unique_ptr<TSafeReplacement> m_replacement;
};

// True when the file ends with the trailer a PDF writer writes last: the PDF
// engine keeps its write errors (a full disk) to itself, and a cut file
// lacks it.
[[nodiscard]] bool PdfWrittenWhole(const QString &Path);

// Puts the folder of a PDF the user names right before it is offered or
// examined: an earlier PDF that a killed run left aside is back under its
// name, and the hidden leftovers of killed runs beside it are removed.
void RecoverPdfOutFile(const QString &Path);

// Empty when a PDF may be written to Path; else the message that says why
// not, naming the file: one of the program's own files, or a file nobody may
// write (read-only, or in a folder it cannot be replaced in). Asked as the
// user names the file, so that nothing is printed towards a target that
// would be refused at the end.
[[nodiscard]] QString PdfTargetRefusal(const QString &Path);
