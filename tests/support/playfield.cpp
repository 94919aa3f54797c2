#include "support/playfield.h"

#include <algorithm>

#include "game/movement.h"

void PlacePiece(PieceCode code, int32_t column, int32_t row) {
    GameState.CurrentPiece = code;
    GameState.PieceX = CellX(column);
    GameState.PieceY = CellY(row);
    UpdatePieceCell();
}

void FillRow(int32_t row, CellColour colour, std::initializer_list<int32_t> gaps) {
    for (int32_t column = 0; column < BoardColumns; ++column) {
        const bool gap = std::find(gaps.begin(), gaps.end(), column) != gaps.end();
        GameState.Board[column][row] = gap ? 0 : colour;
    }
}

void FillColumn(int32_t column, int32_t from, int32_t to, CellColour colour) {
    for (int32_t row = from; row <= to; ++row) GameState.Board[column][row] = colour;
}

void SetUpFullWell() {
    GameStateRecord& g = GameState;
    for (int32_t c = 0; c < BoardColumns; ++c) {
        for (int32_t r = 0; r < BoardRows; ++r) g.Board[c][r] = 1 + (c + r) % 8;
    }
    for (int32_t r = 0; r < 12; ++r) g.Board[6][r] = g.Board[7][r] = g.Board[8][r] = 0;
    PlacePiece(12, 6, 2);
    g.NextPiece = 16;
    g.Level = 4;
    g.Score = 98765;
    g.LinesCleared = 43210;
    g.FramesPerSecond = 60;
    g.ClockMinutes = 12;
    g.ClockSeconds = 34;
}

void FillBoard(CellColour colour) {
    for (auto& column : GameState.Board) {
        for (CellColour& cell : column) cell = colour;
    }
}

void SetRows(int32_t firstRow, const std::vector<std::string>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
        for (int32_t column = 0; column < BoardColumns; ++column) {
            const char c = rows[i].at(static_cast<size_t>(column));
            GameState.Board[column][firstRow + static_cast<int32_t>(i)] = c == '.' ? 0 : c - '0';
        }
    }
}

std::string RowText(int32_t row) {
    std::string text;
    for (int32_t column = 0; column < BoardColumns; ++column) {
        const CellColour cell = GameState.Board[column][row];
        text += cell == 0 ? '.' : static_cast<char>('0' + cell);
    }
    return text;
}

std::string BoardDumpText() {
    std::string text;
    for (int32_t row = 0; row < BoardRows; ++row) {
        for (int32_t column = 0; column < BoardColumns; ++column) {
            text += std::to_string(GameState.Board[column][row]);
        }
        text += '\n';
    }
    return text;
}

DrawnPiece FallingPieceIn(const Frame& frame, int32_t cells) {
    DrawnPiece piece;
    if (static_cast<int32_t>(frame.Draws.size()) < cells) return piece;
    int32_t minX = 1 << 30;
    int32_t minY = 1 << 30;
    for (size_t i = frame.Draws.size() - static_cast<size_t>(cells); i < frame.Draws.size(); ++i) {
        const DrawCall& draw = frame.Draws[i];
        piece.File = draw.File;
        minX = std::min(minX, draw.X);
        minY = std::min(minY, draw.Y);
        ++piece.Blocks;
    }
    piece.Column = (minX - 317) / 26;
    piece.Row = (minY - 59) / 26;
    return piece;
}
