// Window style of the options: in front of all other windows or an ordinary one.
#pragma once

class QWidget;

// Keeps the window in front of all others or makes it an ordinary one, without losing
// its place or visibility.
void SetzeImVordergrund(QWidget* fenster, bool vorne);
