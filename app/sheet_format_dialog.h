// "シートの形式": what teachers add to the printed and saved sheet, and the named steps.
#pragma once

#include <vector>

#include <QDialog>

#include "sheet.h"
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
    QCheckBox *helperBoxes_, *redAnswers_, *answerLabel_, *classLine_, *score_, *numbers_;
};
