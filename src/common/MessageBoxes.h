#pragma once

#include <QString>

// The kinds of message box the program shows. Every box the program raises
// goes through IMessageBox, so tests can record and answer them.

// Main window caption and the title of most boxes.
inline const QString kAppCaption = QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力");
// The application title, used by the confirmation and plain boxes.
inline const QString kAppTitle = QStringLiteral("Tamberlox");

enum class BoxKind {
    Warning,       // OK, exclamation, caption title
    Information,   // OK, information, caption title
    Question,      // Yes/No (Yes default), question, caption title
    Confirmation,  // Yes/No (Yes default), information, "Tamberlox"
    Error,         // OK, stop sign, "Error"
    Plain,         // OK, no icon, "Tamberlox"
};

enum class BoxAnswer { Ok, Yes, No };

QString boxTitle(BoxKind kind);

// The Windows style value of the kind (48, 64, 36, 68, 16, 0).
int boxStyle(BoxKind kind);

bool boxHasYesNo(BoxKind kind);

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    // Shows a modal box owned by the active window; lines are joined with
    // CR LF. Returns the button pressed (Ok for the one-button kinds).
    virtual BoxAnswer show(BoxKind kind, const QString& text) = 0;
};
