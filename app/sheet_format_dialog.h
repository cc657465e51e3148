// "シートの形式": what teachers add to the printed and saved sheet, and the named steps. Its
// captions, accelerators and hints are those of the shared option table.
#pragma once

#include <utility>
#include <vector>

#include <QDialog>

#include "sheet.h"
#include "sheet_request.h"
#include "steps.h"

class QCheckBox;
class QComboBox;

class SheetFormatDialog : public QDialog {
    Q_OBJECT

public:
    explicit SheetFormatDialog(const kolvara::SheetFormat &format, QWidget *parent = nullptr);

    kolvara::SheetFormat format() const;
    // The named step chosen, or null to keep the settings as they are.
    const kolvara::NamedStep *step() const;

private:
    QComboBox *step_;
    std::vector<const kolvara::NamedStep *> steps_;  // those the window's three places can show
    QComboBox *perPage_;
    QComboBox *answerBoxes_;
    // Each switch of the page's format in the table, with its box.
    std::vector<std::pair<const kolvara::SheetOptionRow *, QCheckBox *>> switches_;
};
