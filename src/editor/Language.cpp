#include "Language.h"

namespace
{

const char16_t *const swiftWords
    = u"actor any as associatedtype async await break case catch class continue convenience\n"
      u"default defer deinit didSet do else enum extension fallthrough false fileprivate final\n"
      u"for func get guard if import in indirect infix init inout internal is lazy let mutating\n"
      u"nil nonmutating open operator optional override postfix precedencegroup prefix private\n"
      u"protocol public repeat required rethrows return self Self set some static struct\n"
      u"subscript super switch throw throws true try typealias unowned var weak where while\n"
      u"willSet Any";

const char16_t *const javaScriptWords
    = u"async await break case catch class const continue debugger default delete do else\n"
      u"export extends false finally for from function get if import in instanceof let new\n"
      u"null of return set static super switch this throw true try typeof undefined var void\n"
      u"while with yield NaN Infinity";

const char16_t *const typeScriptOnlyWords
    = u"abstract any as asserts bigint boolean constructor declare enum implements infer\n"
      u"interface is keyof module namespace never number object override private protected\n"
      u"public readonly require satisfies string symbol type unique unknown";

const char16_t *const cWords
    = u"alignas alignof and asm auto bool break case catch char class concept const consteval\n"
      u"constexpr constinit const_cast continue co_await co_return co_yield decltype default\n"
      u"delete do double dynamic_cast else enum explicit export extern false final float for\n"
      u"friend goto if inline int long mutable namespace new noexcept not nullptr operator or\n"
      u"override private protected public register reinterpret_cast requires return short\n"
      u"signed sizeof static static_assert static_cast struct switch template this\n"
      u"thread_local throw true try typedef typeid typename union unsigned using virtual void\n"
      u"volatile wchar_t while xor NULL";

const char16_t *const pythonWords
    = u"and as assert async await break case class continue def del elif else except False\n"
      u"finally for from global if import in is lambda match None nonlocal not or pass raise\n"
      u"return True try while with yield";

const char16_t *const jsonWords = u"true false null";

const char16_t *const shellWords
    = u"alias break case cd continue declare do done echo elif else esac eval exec exit export\n"
      u"false fi for function if in local printf read readonly return select set shift source\n"
      u"test then time trap true unset until while builtin command getopts history jobs let\n"
      u"mapfile popd pushd readarray shopt type ulimit umask unalias wait autoload bindkey\n"
      u"compinit emulate setopt typeset unsetopt zmodload zstyle";

const char16_t *const nginxWords
    = u"server listen server_name location root index try_files return rewrite alias internal\n"
      u"proxy_pass proxy_set_header proxy_http_version proxy_redirect proxy_read_timeout\n"
      u"proxy_connect_timeout proxy_send_timeout proxy_buffering proxy_cache proxy_cache_valid\n"
      u"proxy_pass_request_headers upstream fastcgi_pass fastcgi_param fastcgi_index\n"
      u"fastcgi_split_path_info uwsgi_pass include ssl_certificate ssl_certificate_key\n"
      u"ssl_protocols ssl_ciphers ssl_prefer_server_ciphers ssl_session_cache\n"
      u"ssl_session_timeout ssl_dhparam ssl_stapling ssl_trusted_certificate access_log\n"
      u"error_log log_format gzip gzip_types gzip_vary gzip_comp_level add_header expires\n"
      u"auth_basic auth_basic_user_file allow deny limit_req limit_req_zone limit_conn\n"
      u"limit_conn_zone client_max_body_size client_body_buffer_size keepalive_timeout sendfile\n"
      u"tcp_nopush tcp_nodelay types_hash_max_size server_tokens charset default_type types\n"
      u"error_page autoindex if set map geo events http stream mail worker_processes\n"
      u"worker_connections user pid daemon resolver real_ip_header set_real_ip_from satisfy\n"
      u"open_file_cache valid_referers default_server ssl http2 reuseport on off all";

// The comment and quote conventions shared by the C family.
Language cStyle(const QString &name, QSet<QString> keywords, std::vector<char16_t> quotes)
{
    Language language;
    language.name = name;
    language.keywords = std::move(keywords);
    language.lineComments = { QStringLiteral("//") };
    language.blockComment = std::pair { QStringLiteral("/*"), QStringLiteral("*/") };
    language.quotes = std::move(quotes);
    language.capitalizedAreTypes = true;
    language.functions = true;
    return language;
}

// Python, Shell and nginx comment with a hash and have no block comments.
Language hashCommented(const QString &name, QSet<QString> keywords, std::vector<char16_t> quotes)
{
    Language language;
    language.name = name;
    language.keywords = std::move(keywords);
    language.lineComments = { QStringLiteral("#") };
    language.quotes = std::move(quotes);
    return language;
}

std::vector<Language> buildLanguages()
{
    Language swift = cStyle(QStringLiteral("Swift"), keywordSet(swiftWords), { u'"' });
    swift.tripleQuotes = true;
    swift.attributes = true;

    const std::vector<char16_t> scriptQuotes { u'"', u'\'', u'`' };
    Language javaScript
        = cStyle(QStringLiteral("JavaScript"), keywordSet(javaScriptWords), scriptQuotes);
    Language typeScript = cStyle(QStringLiteral("TypeScript"),
        keywordSet(javaScriptWords) + keywordSet(typeScriptOnlyWords), scriptQuotes);
    typeScript.attributes = true;

    Language c = cStyle(QStringLiteral("C/C++"), keywordSet(cWords), { u'"', u'\'' });
    c.directives = true;
    c.attributes = true;

    Language python
        = hashCommented(QStringLiteral("Python"), keywordSet(pythonWords), { u'"', u'\'' });
    python.tripleQuotes = true;
    python.capitalizedAreTypes = true;
    python.attributes = true;
    python.functions = true;

    Language json;
    json.name = QStringLiteral("JSON");
    json.keywords = keywordSet(jsonWords);
    json.quotes = { u'"' };

    Language shell = hashCommented(QStringLiteral("Shell"), keywordSet(shellWords), scriptQuotes);
    shell.variables = true;
    Language nginx
        = hashCommented(QStringLiteral("nginx"), keywordSet(nginxWords), { u'"', u'\'' });
    nginx.variables = true;

    return { std::move(swift), std::move(javaScript), std::move(typeScript), std::move(c),
        std::move(python), std::move(json), std::move(shell), std::move(nginx) };
}

}

QSet<QString> keywordSet(QStringView words)
{
    QSet<QString> set;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= words.size(); ++i) {
        if (i < words.size() && words[i] != u' ' && words[i] != u'\n')
            continue;
        if (i > start)
            set.insert(words.mid(start, i - start).toString());
        start = i + 1;
    }
    return set;
}

const std::vector<Language> &languages()
{
    static const std::vector<Language> table = buildLanguages();
    return table;
}

const Language *languageNamed(QStringView name)
{
    for (const Language &language : languages())
        if (language.name == name)
            return &language;
    return nullptr;
}
