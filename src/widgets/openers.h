// The windows one window opens from another, filled in by the application at start-up, so that no window
// needs another window's header and the windows do not depend on each other.
#pragma once

#include <functional>
#include <type_traits>

class QWidget;

// Opens (or brings to the front) a window and returns it; one the application has not filled in opens nothing.
class Opener
{
public:
    Opener() = default;
    template <typename Open>
    requires std::is_invocable_r_v<QWidget*, Open> Opener(Open open) : m_open(std::move(open)) {}

    QWidget* operator()() const { return m_open ? m_open() : nullptr; }

private:
    std::function<QWidget*()> m_open;
};

struct Openers
{
    Opener productSettings;    // "商品設定"
    Opener graphs;             // "グラフ"
    Opener purchasing;         // purchase slips
    Opener purchaseItems;      // "仕入商品設定"
    Opener suppliers;          // "仕入先"
    Opener reports;            // "日報"
    Opener history;            // "訂正・削除履歴"
    Opener dataManagement;     // "データ管理"
    Opener systemSettings;     // "system"
    Opener dataInitialisation; // "データ初期化"
    Opener cashMovements;      // "入金・出金"
    Opener closing;            // "レジ点検・精算"
    Opener showRegister;       // the register, built and shown when it is not open
    Opener openRegister;       // the register if it is open, else nothing
};

// The one table for the whole run.
Openers& openers();
