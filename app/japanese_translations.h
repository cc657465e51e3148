#pragma once

class QCoreApplication;

// Qt's own texts (dialog buttons, the print and file dialogs) in Japanese, like the rest of
// the window. Call once, after the application object exists.
void installJapaneseTranslations(QCoreApplication &app);
