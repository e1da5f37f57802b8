// The one parser of the command line. ParseCommandLine walks the arguments
// after the program name and hands each to ParseParam, with one leading '/' or
// '-' removed and marked as a switch.
#pragma once

#include <QString>
#include <QStringList>

class CCommandLineInfo
{
public:
    virtual ~CCommandLineInfo() = default;
    // The standard walker: the first argument that is not a switch is taken as
    // the file name; everything else is ignored.
    virtual void ParseParam(const QString& param, bool bSwitch, bool bLast);

    QString m_strFileName;
};

// The program's own: "clipboard", bare or as a switch, selects clipboard mode.
// No argument is ever taken as a file to open.
class CCustomCommandLineInfo : public CCommandLineInfo
{
public:
    void ParseParam(const QString& param, bool bSwitch, bool bLast) override;

    bool m_bClipboard = false;
};

// arguments: without the program name.
void ParseCommandLine(const QStringList& arguments, CCommandLineInfo& info);
