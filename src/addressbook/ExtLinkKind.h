#pragma once

#include <QString>
#include <QUrl>

// What a record's external link leads to, as far as opening it is concerned.
// Web pages and mail open at once, and so do documents (files whose type is
// known to open in a viewer or editor, and folders). Anything else (a program,
// a script, a ".desktop" launcher, a file of unknown type, a file on a share
// whose kind cannot be seen, an unknown scheme) could run something, so the
// record form asks first. A new document type is one entry in the table of
// the .cpp file.
enum class TExtLinkKind {
    WebPage,  // http, https, mailto (a mail that attaches a file is Other)
    Document, // a local or shared document, or a local folder
    Other,    // may run a program or send a file: asked before opening
};

// The URL a link text stands for: a web address, a URL, or a local path.
[[nodiscard]] QUrl ExtLinkUrl(const QString &Link);

[[nodiscard]] TExtLinkKind ClassifyExtLink(const QUrl &Url);
