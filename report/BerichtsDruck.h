// Prints a text document on a printer the print dialog has set up: laid out over the
// printable area of the page at the printer's resolution, a new page whenever text is
// left over, no header, footer or page number.
#pragma once

class QPrinter;
class QString;
class QTextDocument;

// Names the job before the print dialog opens, so that printing to a file proposes
// "<Dokumentname>.pdf": in the folder of the previous file job, and where no printer
// is installed (the file is then the only choice) in the dialog's usual folder.
// Without either, the dialog builds the name from the job's title itself.
void SchlageDruckdateiVor(QPrinter& drucker, const QString& dokumentname);

// False when the printer cannot be used or the job fails; the document is laid out
// anew for the printer, so pass a copy of anything shown on screen.
bool DruckeDokument(QTextDocument& dokument, QPrinter& drucker);
