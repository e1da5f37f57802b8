// The one parser of the command line. ParseCommandLine walks the arguments
// after the program name and hands each as given to ParseArgument, which by
// default passes it on to ParseParam with one leading '/' or '-' removed and
// marked as a switch.
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
    virtual void ParseArgument(const QString& argument, bool bLast);

    QString m_strFileName;
};

// The program's own: "clipboard", bare or as a switch, selects clipboard mode;
// every other argument that does not begin with '-' names a file to open
// (absolute paths begin with '/', so '/' marks no switch here), and after
// "--" every argument does. (A close request, "Close", is read by the
// standard walker and ends the program before any file is opened.)
class CCustomCommandLineInfo : public CCommandLineInfo
{
public:
    void ParseParam(const QString& param, bool bSwitch, bool bLast) override;
    void ParseArgument(const QString& argument, bool bLast) override;

    bool m_bClipboard = false;
    QStringList m_aFiles; // in the order given

private:
    bool m_bOnlyFiles = false; // after "--"
};

// arguments: without the program name.
void ParseCommandLine(const QStringList& arguments, CCommandLineInfo& info);
