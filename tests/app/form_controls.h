// The window's controls by the names its stored layout gives them, for tests that click
// and read them.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

struct FormControls {
    explicit FormControls(const QWidget &form) : form(form) {}
    const QWidget &form;

    template <typename T>
    T *find(const char *name) const
    {
        T *child = form.findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(child, "FormControls", name);
        return child;
    }

#define KOLVARA_CONTROL(Type, Name) \
    Type *const Name = find<Type>(#Name);
    KOLVARA_CONTROL(QPushButton, ButtonPrintOut)
    KOLVARA_CONTROL(QPushButton, ButtonPrinterSetup)
    KOLVARA_CONTROL(QPushButton, ButtonKoushin)
    KOLVARA_CONTROL(QPushButton, ButtonShokiSettei)
    KOLVARA_CONTROL(QPushButton, ButtonGroupBoxStartClose)
    KOLVARA_CONTROL(QPushButton, ButtonSavePdf)
    KOLVARA_CONTROL(QGroupBox, GroupBoxStart)
    KOLVARA_CONTROL(QGroupBox, GroupBox1_100)
    KOLVARA_CONTROL(QGroupBox, GroupBox2_1)
    KOLVARA_CONTROL(QGroupBox, GroupBoxKuriAgariSagari_100)
    KOLVARA_CONTROL(QGroupBox, GroupBoxKuriAgariSagari_10)
    KOLVARA_CONTROL(QGroupBox, GroupBoxKuriAgariSagari_1)
    KOLVARA_CONTROL(QCheckBox, CheckBoxPrintAnswer)
    KOLVARA_CONTROL(QCheckBox, CheckBoxRuledLine)
    KOLVARA_CONTROL(QCheckBox, CheckBoxHyoudai)
    KOLVARA_CONTROL(QLabel, Label1)
    KOLVARA_CONTROL(QLabel, Label2)
    KOLVARA_CONTROL(QLabel, LabelK)
    KOLVARA_CONTROL(QLabel, LabelProblemCount)
    KOLVARA_CONTROL(QLabel, LabelProjectName)
    KOLVARA_CONTROL(QLabel, LabelMondai)
    KOLVARA_CONTROL(QLabel, LabelFontSize)
    KOLVARA_CONTROL(QSpinBox, SpinEditFontSize)
    KOLVARA_CONTROL(QRadioButton, RadioGroupWaSaItem0)
    KOLVARA_CONTROL(QRadioButton, RadioGroupWaSaItem1)
    KOLVARA_CONTROL(QRadioButton, RadioButton1_10All)
    KOLVARA_CONTROL(QRadioButton, RadioButton1_100All)
#undef KOLVARA_CONTROL
};
