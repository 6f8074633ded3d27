package bench;

import java.io.ByteArrayInputStream;
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
        System.out.println(byTotal.size() + " totals, " + written.getBuffer().length() + " bytes, "
                + request.method() + " " + client.version() + " " + day);
    }
}
