#pragma once

class QDialog;

// Shows a window modally and waits until it closes. The windows open their
// modal windows through it, so tests can drive a modal window without a
// nested event loop.
class IModalRunner {
public:
    virtual ~IModalRunner() = default;
    // Returns the dialog's result (QDialog::Accepted or Rejected).
    virtual int run(QDialog& dialog) = 0;
};
