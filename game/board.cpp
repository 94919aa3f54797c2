#include "game/board.h"

bool IsOnBoard(int32_t column, int32_t row) {
    return column >= 0 && column < BoardColumns && row >= 0 && row < BoardRows;
}

bool IsCellEmpty(int32_t column, int32_t row) {
    return IsOnBoard(column, row) && GameState.Board[column][row] == 0;
}
