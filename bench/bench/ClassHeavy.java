package bench;

import java.io.ByteArrayInputStream;
import java.io.ByteArrayOutputStream;
import java.io.StringReader;
import java.security.MessageDigest;
import java.time.ZoneId;
import java.time.ZonedDateTime;
import java.util.concurrent.CompletableFuture;
import java.util.concurrent.ExecutorService;
import java.util.concurrent.Executors;
import java.util.logging.SimpleFormatter;
import java.util.logging.StreamHandler;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import java.util.zip.GZIPInputStream;
import java.util.zip.GZIPOutputStream;
import javax.xml.transform.stream.StreamSource;
import javax.xml.xpath.XPathConstants;
import javax.xml.xpath.XPathFactory;
import java.io.StringWriter;
import java.net.URI;
import java.net.http.HttpClient;
import java.net.http.HttpRequest;
import java.nio.charset.StandardCharsets;
import java.time.Duration;
import java.time.LocalDate;
import java.time.format.DateTimeFormatter;
import java.util.Map;
import java.util.TreeMap;
import java.util.logging.Level;
import java.util.logging.Logger;
import java.util.stream.Collectors;
import java.util.stream.IntStream;
import javax.xml.parsers.DocumentBuilderFactory;
import javax.xml.transform.TransformerFactory;
import javax.xml.transform.dom.DOMSource;
import javax.xml.transform.stream.StreamResult;
import org.w3c.dom.Document;
import org.w3c.dom.NodeList;

/** A start that loads a few thousand classes, as a real application's does. */
public final class ClassHeavy {
    public static void main(String[] args) throws Exception {
        String xml = "<orders>" + IntStream.range(0, 50)
                .mapToObj(i -> "<order id='" + i + "' total='" + (i * 7 % 13) + "'/>")
                .collect(Collectors.joining()) + "</orders>";
        Document document = DocumentBuilderFactory.newInstance().newDocumentBuilder()
                .parse(new ByteArrayInputStream(xml.getBytes(StandardCharsets.UTF_8)));
        NodeList orders = document.getElementsByTagName("order");
        Map<Integer, Long> byTotal = new TreeMap<>();
        for (int i = 0; i < orders.getLength(); ++i) {
            int total = Integer.parseInt(orders.item(i).getAttributes().getNamedItem("total").getNodeValue());
            byTotal.merge(total, 1L, Long::sum);
        }
        StringWriter written = new StringWriter();
        TransformerFactory.newInstance().newTransformer()
                .transform(new DOMSource(document), new StreamResult(written));

        Logger logger = Logger.getLogger("bench");
        logger.setLevel(Level.WARNING);
        logger.info("not shown");

        HttpRequest request = HttpRequest.newBuilder(URI.create("http://localhost:1/orders"))
                .timeout(Duration.ofSeconds(1)).header("Accept", "application/xml").GET().build();
        HttpClient client = HttpClient.newBuilder().connectTimeout(Duration.ofSeconds(1)).build();

        String day = LocalDate.of(2026, 12, 9).format(DateTimeFormatter.ISO_DATE);

        // What a real start does besides: queries, a stylesheet, logs with a format,
        // a digest, compression, patterns, tasks on a pool, zone rules.
        Double big = (Double) XPathFactory.newInstance().newXPath()
                .evaluate("count(//order[@total > 6])", document, XPathConstants.NUMBER);
        String stylesheet = "<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                + "<xsl:template match='/'><n><xsl:value-of select='count(//order)'/></n></xsl:template>"
                + "</xsl:stylesheet>";
        StringWriter styled = new StringWriter();
        TransformerFactory.newInstance().newTransformer(new StreamSource(new StringReader(stylesheet)))
                .transform(new DOMSource(document), new StreamResult(styled));
        ByteArrayOutputStream logged = new ByteArrayOutputStream();
        StreamHandler handler = new StreamHandler(logged, new SimpleFormatter());
        Logger audit = Logger.getLogger("bench.audit");
        audit.setUseParentHandlers(false);
        audit.addHandler(handler);
        audit.warning("orders read: " + orders.getLength());
        handler.flush();
        byte[] digest = MessageDigest.getInstance("SHA-256").digest(written.toString().getBytes(StandardCharsets.UTF_8));
        ByteArrayOutputStream packed = new ByteArrayOutputStream();
        try (GZIPOutputStream zip = new GZIPOutputStream(packed)) {
            zip.write(xml.getBytes(StandardCharsets.UTF_8));
        }
        int unpacked;
        try (GZIPInputStream unzip = new GZIPInputStream(new ByteArrayInputStream(packed.toByteArray()))) {
            unpacked = unzip.readAllBytes().length;
        }
        Matcher ids = Pattern.compile("id='(\\d+)'").matcher(xml);
        int matches = 0;
        while (ids.find()) {
            matches++;
        }
        ExecutorService pool = Executors.newFixedThreadPool(2);
        int sum = CompletableFuture.supplyAsync(() -> 20, pool)
                .thenCombine(CompletableFuture.supplyAsync(() -> 22, pool), Integer::sum).get();
        pool.shutdown();
        ZonedDateTime berlin = ZonedDateTime.of(2026, 3, 29, 3, 30, 0, 0, ZoneId.of("Europe/Berlin"));

        System.out.println(byTotal.size() + " totals, " + written.getBuffer().length() + " bytes, "
                + request.method() + " " + client.version() + " " + day + ", " + big.intValue()
                + " big, " + styled.toString().length() + " styled, " + logged.size() + " logged, "
                + digest.length + " digest, " + unpacked + " unpacked, " + matches + " ids, " + sum
                + ", " + berlin.getOffset());
    }
}
