#include "japanese_fonts.h"

#include <QFont>

void installJapaneseFontSubstitutes()
{
    QFont::insertSubstitution(QString::fromUtf8(windowFaceName), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QString::fromUtf8(problemFaceName), QStringLiteral("IPAPGothic"));
}
