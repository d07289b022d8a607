#include "shell/introduction.h"

#include "app/configstore.h"

QString introductionText()
{
    const QString lineBreak = QStringLiteral("\r\n");
    return QStringLiteral("Do you know everything about what you are putting into your body? ") +
           QStringLiteral(
               "What is the fat content? How many grams of carbohydrates? Is it a rich source of ") +
           QStringLiteral("Vitamin A? It's difficult, if not impossible, to execute a successful diet ") +
           QStringLiteral("if you don't have all the facts at hand.") + lineBreak + lineBreak +
           QStringLiteral("Fortunately, with Corvane's Foodlark, the task is fun and simple. After ") +
           QStringLiteral("consulting a health care professional to choose the best diet, you can use ") +
           QStringLiteral("Corvane 's Foodlark to help you understand and track what you are putting ") +
           QStringLiteral("in your body. And by knowing everything about what you are eating, you can ") +
           QStringLiteral("follow your diet exactly. With Corvane's Foodlark, you can take the ") +
           QStringLiteral("mystery out of the food you eat. ");
}
