#pragma once

class QCoreApplication;

namespace ui {

// Installs Qt's own Croatian texts (the captions of standard buttons, the
// edit menus of text fields) on the application, from Qt's translation
// directory. Returns false when the translation is not installed there; Qt
// then keeps its English texts.
bool installQtTranslation(QCoreApplication& app);

} // namespace ui
