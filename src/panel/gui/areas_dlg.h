#pragma once

#include <QDialog>

class QComboBox;
class QLabel;

namespace kestrel {

class LinkLamp;

// "EEPROM Area Select": picks the setting area to load from or store into.
// The items, the preselection, the title and the prompt follow the operating
// mode and the panel's current area; the result is the chosen area number.
class CAreaSelDlg : public QDialog {
  Q_OBJECT
 public:
  CAreaSelDlg(QWidget* owner, bool loading, int operatingMode, int currentArea, int linkState);

  // After OK: 0 Factory, 1 User 1, 2 User 2; -1 for an unknown item.
  int Area() const { return area_; }
  QComboBox* List() const { return list_; }
  QLabel* Prompt() const { return prompt_; }
  void SetLinkState(int online);

 public slots:
  void accept() override;

 private:
  QComboBox* list_ = nullptr;
  QLabel* prompt_ = nullptr;
  LinkLamp* strip_ = nullptr;
  int area_ = -1;
};

}  // namespace kestrel
