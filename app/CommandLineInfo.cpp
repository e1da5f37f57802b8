#include "CommandLineInfo.h"

#include "AppStrings.h"

void CCommandLineInfo::ParseParam(const QString& param, bool bSwitch, bool)
{
    if (!bSwitch && m_strFileName.isEmpty())
        m_strFileName = param;
}

void CCustomCommandLineInfo::ParseParam(const QString& param, bool, bool)
{
    if (param == AppStrings::kClipboardArgument)
        m_bClipboard = true;
}

void ParseCommandLine(const QStringList& arguments, CCommandLineInfo& info)
{
    for (qsizetype i = 0; i < arguments.size(); ++i)
    {
        const QString& argument = arguments[i];
        const bool bSwitch = argument.startsWith(QLatin1Char('/')) || argument.startsWith(QLatin1Char('-'));
        info.ParseParam(bSwitch ? argument.mid(1) : argument, bSwitch, i + 1 == arguments.size());
    }
}
