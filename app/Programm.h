// The program after the single-instance guard: application title, the four windows
// created once in their order (the main window first, the others once it is shown), the message loop, and the
// orderly end.
#pragma once

#include <functional>

class QApplication;
class QGuiApplication;

// Runs the program on an existing application object and returns its exit code.
// 'nachDemZeigen' runs once the main window is shown and the loop has started, before
// the other windows are made (the start-up benchmark uses it).
int FuehreProgrammAus(QApplication& app, const std::function<void()>& nachDemZeigen = {});

class TForm1;
class TForm2;

// The desktop session ends: the main window closes without a single box, both files
// written.
void VerbindeSitzungsende(QGuiApplication& app, TForm1& haupt);

// What the settings window changes, the main window shows: its window style and the
// user now current.
void VerbindeEinstellungen(TForm1& haupt, TForm2& einstellungen);
