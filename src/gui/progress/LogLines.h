#pragma once

#include <QObject>
#include <QStringList>

namespace korvida::gui {

// The job log: every line the workers wrote, time stamp included, kept from start-up to
// exit and never written to disk. Only the log window's Clear empties it; jobs add to it.
class LogLines : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;

    const QStringList& lines() const { return lines_; }
    void append(const QString& line) {
        lines_.append(line);
        emit lineAdded(line);
    }
    void clear() {
        lines_.clear();
        emit cleared();
    }

  signals:
    void lineAdded(const QString& line);
    void cleared();

  private:
    QStringList lines_;
};

}  // namespace korvida::gui
