#include "CommandLineInfo.h"

#include "AppStrings.h"

void CCommandLineInfo::ParseParam(const QString& param, bool bSwitch, bool)
{
    if (!bSwitch && m_strFileName.isEmpty())
        m_strFileName = param;
}

void CCommandLineInfo::ParseArgument(const QString& argument, bool bLast)
{
    const bool bSwitch = argument.startsWith(QLatin1Char('/')) || argument.startsWith(QLatin1Char('-'));
    ParseParam(bSwitch ? argument.mid(1) : argument, bSwitch, bLast);
}

void CCustomCommandLineInfo::ParseParam(const QString& param, bool, bool)
{
    if (param == AppStrings::kClipboardArgument)
        m_bClipboard = true;
}

void CCustomCommandLineInfo::ParseArgument(const QString& argument, bool bLast)
{
    if (m_bOnlyFiles)
    {
        if (!argument.isEmpty())
            m_aFiles.append(argument);
        return;
    }
    if (argument == QLatin1String("--"))
    {
        m_bOnlyFiles = true;
        return;
    }
    CCommandLineInfo::ParseArgument(argument, bLast);
    const bool bClipboard = argument == AppStrings::kClipboardArgument ||
                            argument == QLatin1Char('/') + AppStrings::kClipboardArgument;
    if (!argument.isEmpty() && !argument.startsWith(QLatin1Char('-')) && !bClipboard)
        m_aFiles.append(argument);
}

void ParseCommandLine(const QStringList& arguments, CCommandLineInfo& info)
{
    for (qsizetype i = 0; i < arguments.size(); ++i)
        info.ParseArgument(arguments[i], i + 1 == arguments.size());
}
