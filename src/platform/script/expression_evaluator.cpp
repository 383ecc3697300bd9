#include "expression_evaluator.h"

#include "expression_tokens.h"
#include "platform/text/number_text.h"

#include <cmath>

namespace pxu::script {

namespace {

struct Failure {
    QString message;
};

struct Value {
    bool isText = false;
    double number = 0;
    QString text;
};

QString whereAt(const Token& token) {
    return token.type == Token::Type::End ? QStringLiteral(" at the end")
                                          : QStringLiteral(" at position %1").arg(token.position);
}

// expression := term {("+" | "-") term}
// term       := signed {("*" | "/") signed}
// signed     := ("+" | "-") signed | power
// power      := primary {"^" exponent}
// exponent   := ("+" | "-") exponent | primary
// primary    := number | text | "(" expression ")"
class Parser {
public:
    explicit Parser(QList<Token> tokens)
        : m_tokens(std::move(tokens)) {}

    Value run() {
        if (peek().type == Token::Type::End)
            throw Failure{QStringLiteral("empty expression")};
        const Value value = expression();
        if (peek().type != Token::Type::End)
            fail(peek(), QStringLiteral("unexpected \"%1\"").arg(peek().source));
        return value;
    }

private:
    Value expression() {
        return chain(&Parser::term, &Parser::term, Token::Type::Plus, Token::Type::Minus);
    }

    Value term() {
        return chain(&Parser::signedFactor, &Parser::signedFactor, Token::Type::Times,
                     Token::Type::Divide);
    }

    Value signedFactor() { return atSign() ? sign(&Parser::signedFactor) : power(); }

    Value power() {
        return chain(&Parser::primary, &Parser::exponent, Token::Type::Power, Token::Type::Power);
    }

    // left {op right}, left-associative, op one of the two operators.
    Value chain(Value (Parser::*left)(), Value (Parser::*right)(), Token::Type op1,
                Token::Type op2) {
        Value value = (this->*left)();
        while (peek().type == op1 || peek().type == op2) {
            const Token op = take();
            const Value operand = (this->*right)();
            value = arithmetic(op, value, operand);
        }
        return value;
    }

    Value exponent() { return atSign() ? sign(&Parser::exponent) : primary(); }

    bool atSign() const {
        return peek().type == Token::Type::Plus || peek().type == Token::Type::Minus;
    }

    Value sign(Value (Parser::*operand)()) {
        const Token op = take();
        const Nesting nesting(*this, op);
        Value value = (this->*operand)();
        numberOf(value, op);
        if (op.type == Token::Type::Minus)
            value.number = -value.number;
        return value;
    }

    Value primary() {
        const Token token = take();
        switch (token.type) {
        case Token::Type::Number:
            return Value{false, token.number, {}};
        case Token::Type::Text:
            return Value{true, 0, token.text};
        case Token::Type::Open: {
            const Nesting nesting(*this, token);
            const Value inner = expression();
            if (peek().type != Token::Type::Close)
                fail(peek(), QStringLiteral("expected \")\""));
            take();
            return inner;
        }
        default:
            fail(token, QStringLiteral("expected a number"));
        }
    }

    // An invalid token says itself what is wrong with it.
    [[noreturn]] static void fail(const Token& token, const QString& expected) {
        throw Failure{(token.type == Token::Type::Invalid ? token.text : expected) +
                      whereAt(token)};
    }

    static double numberOf(const Value& value, const Token& op) {
        if (value.isText)
            throw Failure{QStringLiteral("a text cannot be calculated with \"%1\"").arg(op.source) +
                          whereAt(op)};
        return value.number;
    }

    static Value arithmetic(const Token& op, const Value& left, const Value& right) {
        const double a = numberOf(left, op);
        const double b = numberOf(right, op);
        double result = 0;
        switch (op.type) {
        case Token::Type::Plus:
            result = a + b;
            break;
        case Token::Type::Minus:
            result = a - b;
            break;
        case Token::Type::Times:
            result = a * b;
            break;
        case Token::Type::Divide:
            if (b == 0)
                throw Failure{QStringLiteral("division by zero") + whereAt(op)};
            result = a / b;
            break;
        default:
            result = std::pow(a, b);
            break;
        }
        if (std::isnan(result))
            throw Failure{QStringLiteral("no real result of \"%1\"").arg(op.source) + whereAt(op)};
        if (std::isinf(result))
            throw Failure{QStringLiteral("overflow") + whereAt(op)};
        return Value{false, result, {}};
    }

    // Each bracket and sign goes one level deeper into the parser's own stack.
    class Nesting {
    public:
        Nesting(Parser& parser, const Token& token)
            : m_parser(parser) {
            if (++m_parser.m_depth > kMaxDepth)
                throw Failure{QStringLiteral("nested too deeply") + whereAt(token)};
        }
        ~Nesting() { --m_parser.m_depth; }

    private:
        Parser& m_parser;
    };
    static constexpr int kMaxDepth = 200;

    const Token& peek() const { return m_tokens[m_next]; }

    // The last token (End or Invalid) is never passed.
    Token take() {
        const Token& token = m_tokens[m_next];
        if (m_next + 1 < m_tokens.size())
            ++m_next;
        return token;
    }

    QList<Token> m_tokens;
    qsizetype m_next = 0;
    int m_depth = 0;
};

} // namespace

EvalResult ExpressionEvaluator::evaluate(const QString& expression) const {
    EvalResult result;
    try {
        const Value value = Parser(tokenize(expression)).run();
        if (value.isText) {
            result.kind = EvalResult::Kind::Text;
            result.text = value.text;
        } else {
            result.kind = EvalResult::Kind::Number;
            result.number = value.number + 0.0; // no "-0"
            result.text = numberText(result.number);
        }
    } catch (const Failure& failure) {
        result.kind = EvalResult::Kind::Error;
        result.error = failure.message;
    }
    return result;
}

} // namespace pxu::script
