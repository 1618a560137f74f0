// Prints a text document on a printer the print dialog has set up: laid out over the
// printable area of the page at the printer's resolution, a new page whenever text is
// left over, no header, footer or page number.
#pragma once

class QPrinter;
class QTextDocument;

// False when the printer cannot be used or the job fails; the document is laid out
// anew for the printer, so pass a copy of anything shown on screen.
bool DruckeDokument(QTextDocument& dokument, QPrinter& drucker);
